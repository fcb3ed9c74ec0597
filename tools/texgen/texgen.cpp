// texgen [OUTPUT]: writes the demo's test texture (default data/tes256.bmp,
// relative to the working directory). See test_pattern.h for the design.
// texgen --gallery [DIR]: writes the gallery's textures into DIR (default
// data/). See gallery_textures.h.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gallery_textures.h"
#include "test_pattern.h"

namespace {

constexpr char USAGE[] =
    "usage: texgen [OUTPUT]\n"
    "       texgen --gallery [DIR]\n"
    "       texgen --help\n"
    "\n"
    "Writes the demo's test texture, a 256 x 256 8-bit BMP, to OUTPUT (default\n"
    "data/tes256.bmp, relative to the current directory; the directory must exist).\n"
    "With --gallery, writes the gallery's ten textures (every BMP form the loader\n"
    "reads, 2 x 2 to 256 x 64) into DIR (default data; it must exist).\n"
    "Existing files are replaced. A name beginning with '-' is taken for an\n"
    "option: write it as ./-name.\n";
constexpr char SHORT_USAGE[] = "usage: texgen [OUTPUT] | texgen --gallery [DIR]   (texgen --help for more)\n";

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "texgen: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int error = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) std::fprintf(stderr, "texgen: cannot write %s: %s\n", path.c_str(), std::strerror(error));
    return written;
}

int writeGallery(const std::string& dir) {
    for (const texgen::GalleryTexture& t : texgen::GALLERY_TEXTURES) {
        const texgen::Picture picture = t.make();
        const std::vector<unsigned char> bytes = texgen::encodeBmp(picture, t.form);
        const std::string path = dir + "/" + t.file;
        if (!writeFile(path, bytes)) return 1;
        std::printf("texgen: wrote %s (%zu bytes, %d x %d, %d-bit%s)\n", path.c_str(), bytes.size(),
                    picture.width, picture.height, texgen::bitsOf(t.form),
                    t.form == texgen::Form::Rle4 || t.form == texgen::Form::Rle8 ? ", run-length encoded" : "");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    const bool gallery = argc >= 2 && std::strcmp(argv[1], "--gallery") == 0;
    const int first = gallery ? 2 : 1;  // the optional path
    std::string wrong;
    if (argc > first + 1)
        wrong = gallery ? "one DIR at most" : "one OUTPUT at most";
    else if (argc == first + 1 && argv[first][0] == '-')
        wrong = std::string("unknown option ") + argv[first];
    else if (argc == first + 1 && argv[first][0] == '\0')
        wrong = gallery ? "DIR is empty" : "OUTPUT is empty";
    if (!wrong.empty()) {
        std::fprintf(stderr, "texgen: %s\n%s", wrong.c_str(), SHORT_USAGE);
        return 2;
    }
    if (gallery) return writeGallery(argc > first ? argv[first] : "data");

    const char* path = argc > 1 ? argv[1] : "data/tes256.bmp";
    const std::vector<unsigned char> bytes = texgen::makeTestPatternBmp();
    if (!writeFile(path, bytes)) return 1;
    std::printf("texgen: wrote %s (%zu bytes, 256 x 256, 8 bits per pixel)\n", path, bytes.size());
    return 0;
}
