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
#include <vector>

#include "fuzz_targets.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    FuzzTarget target = nullptr;
    for (const FuzzTargetEntry& e : FUZZ_TARGETS)
        if (argc >= 3 && std::strcmp(e.name, argv[1]) == 0) target = e.run;
    if (!target) {
        std::fprintf(stderr, "usage: vantir-fuzz-corpus TARGET DIR... (TARGET a fuzz target)\n");
        return 2;
    }
    std::vector<fs::path> files;
    for (int i = 2; i < argc; ++i)
        for (const fs::directory_entry& entry : fs::directory_iterator(argv[i]))  // throws on an unreadable folder
            if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::fprintf(stderr, "%s\n", file.filename().c_str());  // names the input a crash came from
        // An exact-size copy, so that a read one byte past the input is caught.
        auto copy = std::make_unique<std::uint8_t[]>(bytes.size() + (bytes.empty() ? 1 : 0));
        if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
        target(copy.get(), bytes.size());
    }
    std::printf("%s: %zu inputs\n", argv[1], files.size());
    return files.empty() ? 1 : 0;
}
