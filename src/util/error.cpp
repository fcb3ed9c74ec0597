#include "util/error.h"

#include <cstdarg>
#include <cstdio>

#include "platform/win32.h"

namespace vantir {

namespace {

bool isCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc); }

std::size_t formatInto(char (&out)[ERROR_TEXT_CAPACITY + 1], const char* format, std::va_list args) {
    const int wanted = std::vsnprintf(out, sizeof out, format, args);
    if (wanted < 0) {
        out[0] = '\0';
        return 0;
    }
    if (static_cast<std::size_t>(wanted) <= ERROR_TEXT_CAPACITY) return static_cast<std::size_t>(wanted);
    // vsnprintf cut the text at 99 bytes, maybe between the two bytes of a
    // CP932 character; cut it once more at the last whole character.
    const std::size_t length = cp932BoundaryPrefix(out, ERROR_TEXT_CAPACITY);
    out[length] = '\0';
    return length;
}

void showMessageBox(const char* text) {
#ifdef _WIN32
    // The texts are CP932 whatever the system's code page: convert them
    // ourselves and use the wide message box.
    wchar_t wideText[ERROR_TEXT_CAPACITY + 1];
    wchar_t wideCaption[sizeof ERROR_CAPTION];
    if (MultiByteToWideChar(932, 0, text, -1, wideText, ERROR_TEXT_CAPACITY + 1) == 0) wideText[0] = L'\0';
    MultiByteToWideChar(932, 0, ERROR_CAPTION, -1, wideCaption, sizeof ERROR_CAPTION);
    MessageBoxW(nullptr, wideText, wideCaption, MB_OK);
#else
    MessageBox(nullptr, text, ERROR_CAPTION, MB_OK);
#endif
}

}  // namespace

std::size_t cp932BoundaryPrefix(const char* text, std::size_t length) {
    std::size_t i = 0;
    while (i < length) {
        const std::size_t width = isCp932LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + width > length) break;
        i += width;
    }
    return i;
}

std::size_t formatErrorText(char (&out)[ERROR_TEXT_CAPACITY + 1], const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const std::size_t length = formatInto(out, format, args);
    va_end(args);
    return length;
}

void showError(const char* format, ...) {
    char text[ERROR_TEXT_CAPACITY + 1];
    std::va_list args;
    va_start(args, format);
    formatInto(text, format, args);
    va_end(args);
    showMessageBox(text);
}

}  // namespace vantir
