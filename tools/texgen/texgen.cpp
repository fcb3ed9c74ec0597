// texgen [OUTPUT]: writes the demo's test texture (default data/tes256.bmp,
// relative to the working directory). See test_pattern.h for the design.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "test_pattern.h"

namespace {

constexpr char USAGE[] =
    "usage: texgen [OUTPUT]\n"
    "       texgen --help\n"
    "\n"
    "Writes the demo's test texture, a 256 x 256 8-bit BMP, to OUTPUT (default\n"
    "data/tes256.bmp, relative to the current directory; the directory must exist).\n"
    "An existing file is replaced. A name beginning with '-' is taken for an\n"
    "option: write it as ./-name.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    std::string wrong;
    if (argc > 2)
        wrong = "one OUTPUT at most";
    else if (argc == 2 && argv[1][0] == '-')
        wrong = std::string("unknown option ") + argv[1];
    else if (argc == 2 && argv[1][0] == '\0')
        wrong = "OUTPUT is empty";
    if (!wrong.empty()) {
        std::fprintf(stderr, "texgen: %s\nusage: texgen [OUTPUT]   (texgen --help for more)\n", wrong.c_str());
        return 2;
    }
    const char* path = argc > 1 ? argv[1] : "data/tes256.bmp";
    const std::vector<unsigned char> bytes = texgen::makeTestPatternBmp();
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::fprintf(stderr, "texgen: cannot write %s: %s\n", path, std::strerror(errno));
        return 1;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int error = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        std::fprintf(stderr, "texgen: cannot write %s: %s\n", path, std::strerror(error));
        return 1;
    }
    std::printf("texgen: wrote %s (%zu bytes, 256 x 256, 8 bits per pixel)\n", path, bytes.size());
    return 0;
}
