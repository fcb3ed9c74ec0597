// vantir-fuzz-corpus TARGET DIR...: feeds every file of the directories to
// one fuzz target, in name order, exactly as libFuzzer would hand it over (a
// heap block of the file's size). A broken invariant aborts, a sanitizer build
// reports what it finds; a clean run prints the number of inputs and exits 0.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_targets.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: vantir-fuzz-corpus TARGET DIR...\n");
        return 2;
    }
    FuzzTarget target = nullptr;
    for (const FuzzTargetEntry& e : FUZZ_TARGETS)
        if (std::strcmp(e.name, argv[1]) == 0) target = e.run;
    if (!target) {
        std::fprintf(stderr, "vantir-fuzz-corpus: no target %s\n", argv[1]);
        return 2;
    }
    std::vector<fs::path> files;
    for (int i = 2; i < argc; ++i) {
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(argv[i], error))
            if (entry.is_regular_file()) files.push_back(entry.path());
        if (error) {
            std::fprintf(stderr, "vantir-fuzz-corpus: cannot list %s: %s\n", argv[i], error.message().c_str());
            return 1;
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "vantir-fuzz-corpus: no inputs\n");
        return 1;
    }
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!in.eof() && !in) {
            std::fprintf(stderr, "vantir-fuzz-corpus: cannot read %s\n", file.c_str());
            return 1;
        }
        std::fprintf(stderr, "%s\n", file.filename().c_str());  // names the input a crash came from
        // An exact-size copy, so that a read one byte past the input is caught.
        auto copy = std::make_unique<std::uint8_t[]>(bytes.size() + (bytes.empty() ? 1 : 0));
        if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
        target(copy.get(), bytes.size());
    }
    std::printf("%s: %zu inputs\n", argv[1], files.size());
    return 0;
}
