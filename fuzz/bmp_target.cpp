// BMP files from the fuzzer: every byte the decoder reads must lie inside the
// file, an accepted file must decode to exactly the texels its sides promise,
// loadTexture must agree with the parser, and the loaded texture must draw
// (scrolled by the animation too) without a write outside the screen.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_targets.h"
#include "guarded_screen.h"
#include "platform/headless/headless.h"
#include "render/primitive.h"
#include "render/raster/textured.h"
#include "texture/texture.h"
#include "util/code_path.h"

using namespace vantir;

namespace {

// loadTexture reads from the file system under a name of at most 27 bytes: a
// private directory under /tmp keeps the path that short.
const std::string& textureFilePath() {
    static const std::string path = [] {
        char dir[] = "/tmp/vzf-XXXXXX";
        fuzzCheck(mkdtemp(dir) != nullptr, "cannot make a temporary directory");
        static std::string removeAtExit;
        removeAtExit = dir;
        std::atexit([] {
            std::remove((removeAtExit + "/t.bmp").c_str());
            rmdir(removeAtExit.c_str());
        });
        return std::string(dir) + "/t.bmp";
    }();
    return path;
}

bool writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// The texture over the whole screen, wrapped several times, and a sliver
// with texture coordinates far outside one texture.
void drawWithTexture(int id) {
    const ProjectedVertex v[4] = {{-5, -3, 10, 0}, {70, -2, 10, 0}, {69, 52, 10, 0}, {-4, 50, 10, 0}};
    const TexCoord t[4] = {{0, 0, 0, 0}, {1000, 0, 0, 0}, {1000, 777, 0, 0}, {-3, 777, 0, 0}};
    drawTexQuad(&v[0], &v[1], &v[2], &v[3], &t[0], &t[1], &t[2], &t[3], id);
    const ProjectedVertex w[3] = {{1, 1, 5, 0}, {62, 20, 5, 0}, {3, 46, 5, 0}};
    const TexCoord s[3] = {{INT32_MIN, 0x7fffffff, 0, 0}, {-65536, 12345678, 0, 0}, {0x40000000, -1, 0, 0}};
    drawTexTriangleAdd(&w[0], &w[1], &w[2], &s[0], &s[1], &s[2], id);
    drawTexTriangleHalf(&w[2], &w[1], &w[0], &s[2], &s[1], &s[0], id);
}

}  // namespace

int fuzzBmpImage(const std::uint8_t* data, std::size_t size) {
    headlessClearMessageBoxes();

    // The header alone, then the whole decode into a block of exactly the
    // promised size: the heap copy libFuzzer hands over ends where the file
    // does, so any read past it is caught.
    int widthShift = -1, heightShift = -1;
    const int headerResult = parseBmpImage(data, size, &widthShift, &heightShift, nullptr);
    fuzzCheck(headerResult == 0 || headerResult == -1, "parseBmpImage answers 0 or -1");
    std::vector<Rgb555> texels;
    if (headerResult == 0) {
        fuzzCheck(widthShift >= 1 && widthShift <= 8 && heightShift >= 1 && heightShift <= 8, "sides of 2..256");
        texels.assign(std::size_t{1} << (widthShift + heightShift), 0);
        int w2 = -1, h2 = -1;
        fuzzCheck(parseBmpImage(data, size, &w2, &h2, texels.data()) == 0, "an accepted header decodes");
        fuzzCheck(w2 == widthShift && h2 == heightShift, "the decode reports the header's sides");
    } else {
        // A refused file writes nothing: one texel of room is all it gets.
        std::vector<Rgb555> none(1, 0x1234);
        int w2 = 77, h2 = 77;
        fuzzCheck(parseBmpImage(data, size, &w2, &h2, none.data()) == -1, "a refused header stays refused");
        fuzzCheck(w2 == 77 && h2 == 77 && none[0] == 0x1234, "a refused file writes nothing");
    }

    // The same bytes as a file through the loader.
    const std::string& path = textureFilePath();
    fuzzCheck(writeFile(path, data, size), "cannot write the texture file");
    fuzzCheck(initTextures() == 0, "initTextures");
    const int id = loadTexture(path.c_str());
    if (headerResult == 0) {
        fuzzCheck(id == 0, "loadTexture accepts what the parser accepts");
        const Texture* t = loadedTexture(id);
        fuzzCheck(t && t->widthShift == widthShift && t->heightShift == heightShift, "loaded sides");
        const std::size_t count = texels.size();
        fuzzCheck(std::memcmp(t->basePixels, texels.data(), count * sizeof(Rgb555)) == 0, "loaded texels");
        fuzzCheck(std::memcmp(t->basePixels + count, texels.data(), count * sizeof(Rgb555)) == 0, "doubled texels");
        fuzzCheck(loadTexture(path.c_str()) == id && t->refCount == 2, "a second load shares the slot");

        // Drawn by the reference routines into one screen and by the fast ones
        // (at a vector level the file's size picks) into another: the same.
        static constexpr SimdLevel LEVELS[] = {SimdLevel::Avx2, SimdLevel::Sse2, SimdLevel::Scalar};
        GuardedScreen fast(64, 48, 0x0421);
        GuardedScreen reference(64, 48, 0x0421);
        setClipRect();
        const auto drawBoth = [&] {
            setCodePath(CodePath::Reference);
            setBackBuffer(reference.pixels(), 64, 48);
            drawWithTexture(id);
            setCodePath(CodePath::Fast);
            setSimdLevel(LEVELS[size % 3]);
            setBackBuffer(fast.pixels(), 64, 48);
            drawWithTexture(id);
            setSimdLevel(SimdLevel::Avx2);
        };
        drawBoth();
        // Scroll through one whole animation cycle and a step beyond it.
        animatedTextures[0] = textureTable[id];
        animatedTextureCount = 1;
        const int frames = (1 << heightShift) + 1;
        for (int f = 0; f < frames; ++f) {
            animateTextures();
            if (f == 0 || f == frames / 2 || f >= frames - 2) drawBoth();
        }
        fuzzCheck(fast.guardsIntact() && reference.guardsIntact(), "textured drawing stays inside the screen");
        fuzzCheck(fast.memory == reference.memory, "the fast routines draw what the reference ones draw");
    } else {
        fuzzCheck(id == -1, "loadTexture refuses what the parser refuses");
        fuzzCheck(loadedTexture(0) == nullptr, "a refused file leaves no slot taken");
    }
    releaseTextures();
    fuzzCheck(animatedTextureCount == 0, "release empties the animation list");
    return 0;
}
