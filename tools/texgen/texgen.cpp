// texgen [OUTPUT]: writes the demo's test texture (default data/tes256.bmp,
// relative to the working directory). See test_pattern.h for the design.
#include <cstdio>
#include <vector>

#include "test_pattern.h"

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "data/tes256.bmp";
    const std::vector<unsigned char> bytes = texgen::makeTestPatternBmp();
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::fprintf(stderr, "texgen: cannot write %s\n", path);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "texgen: cannot write %s\n", path);
        return 1;
    }
    return 0;
}
