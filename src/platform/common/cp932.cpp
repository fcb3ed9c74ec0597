#include "platform/common/cp932.h"

#include <iconv.h>

#include <cerrno>

namespace vantir {

namespace {
constexpr char REPLACEMENT[] = "\xef\xbf\xbd";  // U+FFFD
}

std::string cp932ToUtf8(std::string_view text) {
    std::string out;
    iconv_t cd = iconv_open("UTF-8", "CP932");
    // A C library without CP932 (the browser build's) still knows Shift-JIS,
    // which holds every character of the program's texts.
    if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "SHIFT_JIS");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // No converter on this system: keep ASCII, mark the rest.
        for (unsigned char c : text) out += c < 0x80 ? std::string(1, static_cast<char>(c)) : REPLACEMENT;
        return out;
    }
    std::string input(text);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;  // buffer full: drain and go on
        // EILSEQ or EINVAL (a lead byte at the end): replace one byte, go on.
        out += REPLACEMENT;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace vantir
