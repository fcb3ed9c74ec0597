// The string calls of the Win32 subset.
#include <cstring>

#include "platform/win32.h"

int lstrcmp(LPCSTR a, LPCSTR b) {
    // Null sorts before every string, as Windows orders it.
    if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
    const int order = std::strcmp(a, b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

LPSTR lstrcpy(LPSTR dest, LPCSTR source) {
    if (!dest || !source) return nullptr;
    return std::strcpy(dest, source);
}
