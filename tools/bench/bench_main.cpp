// vantir-bench: the frame and its hot routines, each measured through the
// reference code (path:0) and the fast code (path:1 without vector code,
// path:2 with AVX2) in one run. Every
// benchmark reports a checksum of its output as the counter "sum", so that no
// work can be optimised away and the two paths can be seen to agree.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "app/demo/demo_scene.h"
#include "bench_scene.h"
#include "gallery/gallery.h"
#include "platform/headless/headless.h"
#include "render/display_list.h"
#include "render/ordering.h"
#include "render/raster/flat.h"
#include "render/raster/shaded.h"
#include "render/raster/textured.h"
#include "scene/transform.h"
#include "texture/texture.h"
#include "util/alloc.h"
#include "util/code_path.h"
#include "video/back_buffer.h"
#include "video/screen.h"

using namespace vantir;

namespace {

// Selects the path for one benchmark run: 0 the reference code, 1 the fast
// code without vector extensions, 2 the fast code with the widest the
// processor has. The fast path with every extension is restored afterwards.
struct PathScope {
    explicit PathScope(std::int64_t path) {
        setCodePath(path ? CodePath::Fast : CodePath::Reference);
        setSimdLevel(path == 2 ? SimdLevel::Avx2 : SimdLevel::Scalar);
    }
    ~PathScope() {
        setCodePath(CodePath::Fast);
        setSimdLevel(SimdLevel::Avx2);
    }
};

std::size_t backBufferBytes() {
    return static_cast<std::size_t>(screenWidth()) * static_cast<std::size_t>(screenHeight()) * 2;
}

// ---- The frame and its stages ----------------------------------------------

void BM_DemoFrame(benchmark::State& state) {
    PathScope path(state.range(1));
    setDemoPose(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        renderDemoFrame();
        benchmark::DoNotOptimize(backBufferPixels());
        benchmark::ClobberMemory();
    }
    state.counters["sum"] = checksumCounter(backBufferChecksum());
    setDemoPose(0);
}
BENCHMARK(BM_DemoFrame)->ArgNames({"pose", "path"})->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2}})->Unit(benchmark::kMicrosecond);

// A gallery view 30 frames after it was chosen, held there: its whole frame
// as the program draws it (hooks, bodies and all). The demo comes back after.
void BM_GalleryFrame(benchmark::State& state) {
    stopDemo();
    if (!startProgram(galleryProgram)) {
        state.SkipWithError("the gallery did not start");
        startDemo();
        return;
    }
    galleryProgram.typedCharacter(static_cast<WPARAM>('0' + state.range(0)));
    for (int frame = 0; frame < 30; ++frame) renderProgramFrame();
    galleryProgram.typedCharacter('p');
    {
        PathScope path(state.range(1));
        for (auto _ : state) {
            renderProgramFrame();
            benchmark::DoNotOptimize(backBufferPixels());
            benchmark::ClobberMemory();
        }
        state.counters["sum"] = checksumCounter(backBufferChecksum());
    }
    stopDemo();
    startDemo();
}
BENCHMARK(BM_GalleryFrame)->ArgNames({"view", "path"})->ArgsProduct({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

// The reference frame and the fast frame (every vector extension) in turn,
// each timed on its own, so that a machine whose speed drifts during the run
// slows both alike: the counters are each path's mean frame and their ratio.
// The harness's time is the pair.
void BM_DemoFrameRatio(benchmark::State& state) {
    setDemoPose(static_cast<int>(state.range(0)));
    using Clock = std::chrono::steady_clock;
    Clock::duration reference{}, fast{};
    const auto timeFrame = [](CodePath path, Clock::duration& total) {
        setCodePath(path);
        const Clock::time_point start = Clock::now();
        renderDemoFrame();
        benchmark::ClobberMemory();
        total += Clock::now() - start;
    };
    for (auto _ : state) {
        timeFrame(CodePath::Reference, reference);
        timeFrame(CodePath::Fast, fast);
    }
    setCodePath(CodePath::Fast);
    const double frames = static_cast<double>(state.iterations());
    const auto micros = [frames](Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count() / frames; };
    state.counters["reference_us"] = micros(reference);
    state.counters["fast_us"] = micros(fast);
    state.counters["ratio"] = micros(reference) / micros(fast);
    state.counters["sum"] = checksumCounter(backBufferChecksum());
    setDemoPose(0);
}
BENCHMARK(BM_DemoFrameRatio)->ArgNames({"pose"})->DenseRange(0, DEMO_POSES - 1)->Unit(benchmark::kMicrosecond);

void BM_Clear(benchmark::State& state) {
    PathScope path(state.range(0));
    if (state.range(1) == 0)
        setClearColor(0, 0, 0);
    else
        setClearColor(7, 12, 20);
    for (auto _ : state) {
        clearBackBuffer();
        benchmark::DoNotOptimize(backBufferPixels());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(backBufferBytes()));
    state.counters["sum"] = checksumCounter(backBufferChecksum());
    setClearColor(0, 0, 0);
}
// colour:0 black (the demo's colour, four equal bytes), colour:1 (7, 12, 20),
// a colour of unequal bytes.
BENCHMARK(BM_Clear)->ArgNames({"path", "colour"})->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMicrosecond);

// The yardstick of the clear: the C library's fill over the same bytes.
void BM_Memset(benchmark::State& state) {
    for (auto _ : state) {
        std::memset(backBufferPixels(), 0, backBufferBytes());
        benchmark::DoNotOptimize(backBufferPixels());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(backBufferBytes()));
    state.counters["sum"] = checksumCounter(backBufferChecksum());
}
BENCHMARK(BM_Memset)->Unit(benchmark::kMicrosecond);

void BM_Transform(benchmark::State& state) {
    PathScope path(state.range(0));
    setDemoPose(2);
    for (auto _ : state) {
        transformAllModels();
        benchmark::ClobberMemory();
    }
    const DisplayList* list = frameDisplayList();
    state.counters["sum"] = checksumCounter(
        checksumBytes(list->projectedVertices, sizeof(ProjectedVertex) * static_cast<std::size_t>(list->vertexCount)));
    setDemoPose(0);
}
BENCHMARK(BM_Transform)->ArgName("path")->Arg(0)->Arg(2);

// Sorting fills the ordering table; emptying it again (as the dispatch does
// bucket by bucket) is part of the measured loop.
void BM_Sort(benchmark::State& state) {
    PathScope path(state.range(0));
    setDemoPose(1);
    transformAllModels();
    DisplayList* list = frameDisplayList();
    for (auto _ : state) {
        sortPrimitives(list);
        benchmark::DoNotOptimize(orderingTable[0]);
        std::memset(orderingTable, 0, ORDERING_TABLE_SIZE * sizeof(std::uint32_t));
    }
    sortPrimitives(list);
    state.counters["sum"] = checksumCounter(checksumBytes(orderingTable, ORDERING_TABLE_SIZE * sizeof(std::uint32_t)));
    std::memset(orderingTable, 0, ORDERING_TABLE_SIZE * sizeof(std::uint32_t));
    setDemoPose(0);
}
BENCHMARK(BM_Sort)->ArgName("path")->Arg(0)->Arg(2);

// ---- Rasterizers -------------------------------------------------------------

// A fixed set of convex polygons of one size class: corners on a circle of the
// class's radius around centres spread over the screen (the large ones often
// cut by its edges), with colours and texture coordinates.
struct PolygonSet {
    static constexpr int COUNT = 256;
    std::vector<ProjectedVertex> vertices;  // 4 per polygon
    std::vector<ColourRecord> colours;
    std::vector<TexCoord> texCoords;
    std::vector<int> corners;  // 3 or 4
    double pixels = 0;         // pixels one pass over the set covers
};

PolygonSet makePolygons(int radius, unsigned seed) {
    std::mt19937 random(seed);
    PolygonSet set;
    const int w = screenWidth(), h = screenHeight();
    for (int i = 0; i < PolygonSet::COUNT; ++i) {
        const int n = 3 + static_cast<int>(random() % 2);
        double angles[4];
        for (int k = 0; k < n; ++k) angles[k] = std::uniform_real_distribution<double>(0, 6.283185307179586)(random);
        for (int a = 1; a < n; ++a)  // in order around the circle: convex
            for (int b = a; b > 0 && angles[b] < angles[b - 1]; --b) std::swap(angles[b], angles[b - 1]);
        const int cx = static_cast<int>(random() % static_cast<unsigned>(w));
        const int cy = static_cast<int>(random() % static_cast<unsigned>(h));
        for (int k = 0; k < 4; ++k) {
            const double a = angles[k < n ? k : 0];
            set.vertices.push_back({cx + static_cast<int>(radius * std::cos(a)), cy + static_cast<int>(radius * std::sin(a)),
                                    100, 0});
            set.colours.push_back({static_cast<std::int32_t>(random() % 256), static_cast<std::int32_t>(random() % 256),
                                   static_cast<std::int32_t>(random() % 256), 0});
            set.texCoords.push_back({static_cast<std::int32_t>(random() % 512) - 128,
                                     static_cast<std::int32_t>(random() % 512) - 128, 0, 0});
        }
        set.corners.push_back(n);
    }
    // Coverage, counted once polygon by polygon with the flat rasterizer.
    std::vector<Rgb555> saved(backBufferPixels(), backBufferPixels() + backBufferBytes() / 2);
    for (int i = 0; i < PolygonSet::COUNT; ++i) {
        std::memset(backBufferPixels(), 0, backBufferBytes());
        const ProjectedVertex* v = &set.vertices[4 * i];
        if (set.corners[i] == 3)
            drawFlatTriangle(v, v + 1, v + 2, 0x7fff);
        else
            drawFlatQuad(v, v + 1, v + 2, v + 3, 0x7fff);
        set.pixels += static_cast<double>(std::count(backBufferPixels(), backBufferPixels() + backBufferBytes() / 2, 0x7fff));
    }
    std::copy(saved.begin(), saved.end(), backBufferPixels());
    return set;
}

const PolygonSet& polygons(int sizeClass) {
    static const int radius[3] = {4, 24, 120};
    static PolygonSet sets[3];
    static bool made[3] = {};
    if (!made[sizeClass]) {
        sets[sizeClass] = makePolygons(radius[sizeClass], 1234u + static_cast<unsigned>(sizeClass));
        made[sizeClass] = true;
    }
    return sets[sizeClass];
}

enum Family { FLAT, SHADED, SHADED_ADD, TEX, TEX_ADD, TEX_HALF };

void drawPolygon(Family family, const PolygonSet& set, int i) {
    const ProjectedVertex* v = &set.vertices[4 * i];
    const ColourRecord* c = &set.colours[4 * i];
    const TexCoord* t = &set.texCoords[4 * i];
    const bool quad = set.corners[i] == 4;
    const std::int32_t colour = static_cast<std::int32_t>((i * 2654435761u) & 0x7fff);
    switch (family) {
    case FLAT: quad ? drawFlatQuad(v, v + 1, v + 2, v + 3, colour) : drawFlatTriangle(v, v + 1, v + 2, colour); break;
    case SHADED:
        quad ? drawShadedQuad(v, v + 1, v + 2, v + 3, c, c + 1, c + 2, c + 3) : drawShadedTriangle(v, v + 1, v + 2, c, c + 1, c + 2);
        break;
    case SHADED_ADD:
        quad ? drawShadedQuadAdd(v, v + 1, v + 2, v + 3, c, c + 1, c + 2, c + 3)
             : drawShadedTriangleAdd(v, v + 1, v + 2, c, c + 1, c + 2);
        break;
    case TEX:
        quad ? drawTexQuad(v, v + 1, v + 2, v + 3, t, t + 1, t + 2, t + 3, demoTexture)
             : drawTexTriangle(v, v + 1, v + 2, t, t + 1, t + 2, demoTexture);
        break;
    case TEX_ADD:
        quad ? drawTexQuadAdd(v, v + 1, v + 2, v + 3, t, t + 1, t + 2, t + 3, demoTexture)
             : drawTexTriangleAdd(v, v + 1, v + 2, t, t + 1, t + 2, demoTexture);
        break;
    case TEX_HALF:
        quad ? drawTexQuadHalf(v, v + 1, v + 2, v + 3, t, t + 1, t + 2, t + 3, demoTexture)
             : drawTexTriangleHalf(v, v + 1, v + 2, t, t + 1, t + 2, demoTexture);
        break;
    }
}

void BM_Polygons(benchmark::State& state, Family family) {
    const PolygonSet& set = polygons(static_cast<int>(state.range(0)));
    PathScope path(state.range(1));
    std::memset(backBufferPixels(), 0, backBufferBytes());
    for (auto _ : state) {
        for (int i = 0; i < PolygonSet::COUNT; ++i) drawPolygon(family, set, i);
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = benchmark::Counter(set.pixels * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
    state.counters["polygons"] = benchmark::Counter(PolygonSet::COUNT * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
    // The output of one pass from a clear screen, identical on both paths.
    std::memset(backBufferPixels(), 0, backBufferBytes());
    for (int i = 0; i < PolygonSet::COUNT; ++i) drawPolygon(family, set, i);
    state.counters["sum"] = checksumCounter(backBufferChecksum());
}
#define VANTIR_POLYGON_BENCH(name, family)                                                           \
    BENCHMARK_CAPTURE(BM_Polygons, name, family)                                                     \
        ->ArgNames({"size", "path"})                                                                 \
        ->ArgsProduct({{0, 1, 2}, {0, 1, 2}})                                                         \
        ->Unit(benchmark::kMicrosecond)
VANTIR_POLYGON_BENCH(flat, FLAT);
VANTIR_POLYGON_BENCH(shaded, SHADED);
VANTIR_POLYGON_BENCH(shaded_add, SHADED_ADD);
VANTIR_POLYGON_BENCH(tex_copy, TEX);
VANTIR_POLYGON_BENCH(tex_add, TEX_ADD);
VANTIR_POLYGON_BENCH(tex_half, TEX_HALF);

// ---- Textured spans ----------------------------------------------------------

struct SpanInput {
    std::int32_t uLeft, vLeft, uRight, vRight;
};

const std::vector<SpanInput>& spanInputs() {
    static std::vector<SpanInput> inputs = [] {
        std::mt19937 random(99);
        std::vector<SpanInput> v(1024);
        // Demo-like coordinates: 24.8 accumulators of texture units 0..256.
        for (SpanInput& s : v)
            s = {static_cast<std::int32_t>(random() % 65536), static_cast<std::int32_t>(random() % 65536),
                 static_cast<std::int32_t>(random() % 65536), static_cast<std::int32_t>(random() % 65536)};
        return v;
    }();
    return inputs;
}

// One iteration draws a batch of SPAN_BATCH spans of the given width at rows,
// columns and coordinates that vary from span to span, so that the harness
// (the loop, the checksum, the call through a pointer) is spread over many
// spans and pixels per second measure the span routine itself.
constexpr int SPAN_BATCH = 1024;

struct SpanPlace {
    std::ptrdiff_t offset;  // first pixel in the back buffer
    SpanInput input;
};

std::vector<SpanPlace> spanPlaces(std::int32_t width) {
    const std::vector<SpanInput>& inputs = spanInputs();
    std::mt19937 random(7);
    const std::int32_t stride = screenWidth(), rows = screenHeight();
    std::vector<SpanPlace> places(SPAN_BATCH);
    for (int i = 0; i < SPAN_BATCH; ++i) {
        const std::int32_t row = static_cast<std::int32_t>(random() % static_cast<unsigned>(rows));
        const std::int32_t column = static_cast<std::int32_t>(random() % static_cast<unsigned>(stride - width + 1));
        places[static_cast<std::size_t>(i)] = {static_cast<std::ptrdiff_t>(row) * stride + column,
                                               inputs[static_cast<std::size_t>(i) % inputs.size()]};
    }
    return places;
}

// path: 0 the reference, 1 the fast span without vector code, 2 with AVX2.
void BM_TexSpan(benchmark::State& state, TexturedSpan reference, TexturedSpan fast) {
    const std::int32_t width = static_cast<std::int32_t>(state.range(0));
    const std::int64_t path = state.range(1);
    const TexturedSpan span = path ? fast : reference;
    setSimdLevel(path == 2 ? SimdLevel::Avx2 : SimdLevel::Scalar);
    TextureAddressing texture;
    if (!textureAddressing(demoTexture, &texture)) {
        state.SkipWithError("no demo texture");
        return;
    }
    const std::vector<SpanPlace> places = spanPlaces(width);
    Rgb555* const pixels = backBufferPixels();
    const auto batch = [&] {
        for (const SpanPlace& p : places)
            span(pixels + p.offset, width, p.input.uLeft, p.input.vLeft, p.input.uRight, p.input.vRight, texture);
    };
    std::memset(pixels, 0, backBufferBytes());
    for (auto _ : state) {
        batch();
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = benchmark::Counter(
        static_cast<double>(width) * SPAN_BATCH * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    // One batch from a clear screen, identical on every path.
    std::memset(pixels, 0, backBufferBytes());
    batch();
    state.counters["sum"] = checksumCounter(backBufferChecksum());
    setSimdLevel(SimdLevel::Avx2);
}

// The span benchmarks, registered once the processor's vector level is known:
// the AVX2 rows only where the processor has it.
void registerSpanBenchmarks() {
    struct Routine {
        const char* name;
        TexturedSpan reference, fast;
    };
    const Routine routines[] = {{"BM_TexSpan/copy", spanCopy, spanCopyFast},
                                {"BM_TexSpan/add", spanAdd, spanAddFast},
                                {"BM_TexSpan/half", spanHalf, spanHalfFast}};
    const std::int64_t lastPath = detectedSimdLevel() >= SimdLevel::Avx2 ? 2 : 1;
    for (const Routine& r : routines) {
        benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(r.name, BM_TexSpan, r.reference, r.fast);
        b->ArgNames({"width", "path"})->Unit(benchmark::kMicrosecond);
        for (std::int64_t width : {4, 16, 64, 256})
            for (std::int64_t path = 0; path <= lastPath; ++path) b->Args({width, path});
    }
}

// ---- BMP loading -------------------------------------------------------------

// The whole load of the demo texture but the table slot: read the file, check
// and decode it into texels.
void BM_LoadBmp(benchmark::State& state) {
    std::vector<Rgb555> texels(256 * 256);
    std::uint64_t sum = 0;
    for (auto _ : state) {
        std::size_t size = 0;
        unsigned char* bytes = readWholeFile("tes256.bmp", &size);
        int widthShift = 0, heightShift = 0;
        if (!bytes || parseBmpImage(bytes, size, &widthShift, &heightShift, texels.data()) < 0) {
            checkedFree(bytes);
            state.SkipWithError("cannot load data/tes256.bmp");
            return;
        }
        checkedFree(bytes);
        benchmark::DoNotOptimize(texels.data());
    }
    sum = checksumBytes(texels.data(), texels.size() * sizeof(Rgb555));
    state.counters["sum"] = checksumCounter(sum);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 256 * 256 * 2);
}
BENCHMARK(BM_LoadBmp)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    headlessReset(512, 480);
    if (!startDemo()) return 1;
    // In the report's context, not on stdout, so that every output format stays itself.
    benchmark::AddCustomContext("vector_extension", simdLevelName(detectedSimdLevel()));
    registerSpanBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    stopDemo();
    return 0;
}
