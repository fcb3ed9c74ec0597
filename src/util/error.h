// Error messages: printf-style text in CP932, shown in a modal box captioned
// "Error" with one OK button, at the place of the failure.
#pragma once

#include <cstddef>

namespace vantir {

// The texts are held as the CP932 bytes the program shows.
// "%dbyteの領域の確保に失敗しました。"
inline constexpr char MSG_ALLOC_FAILED[] =
    "%dbyte\x82\xcc\x97\xcc\x88\xe6\x82\xcc\x8a\x6d\x95\xdb\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd"
    "\x81\x42";
// "ファイル[%s]が見つかりません"
inline constexpr char MSG_FILE_NOT_FOUND[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8b[%s]\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
// "画面バッファの作成に失敗しました。"
inline constexpr char MSG_SURFACE_FAILED[] =
    "\x89\xe6\x96\xca\x83\x6f\x83\x62\x83\x74\x83\x40\x82\xcc\x8d\xec\x90\xac\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc"
    "\x82\xb5\x82\xbd\x81\x42";
inline constexpr char ERROR_CAPTION[] = "Error";

// The formatted text holds at most this many bytes before its NUL.
constexpr std::size_t ERROR_TEXT_CAPACITY = 99;

// Formats into a 100-byte buffer (a longer text is cut to fit, never inside a
// two-byte CP932 character) and shows it; returns when the box is closed.
void showError(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Formats as showError does, without showing anything; returns the length.
std::size_t formatErrorText(char (&out)[ERROR_TEXT_CAPACITY + 1], const char* format, ...);

// Length of the longest prefix of text[0..length) that ends on a CP932
// character boundary.
std::size_t cp932BoundaryPrefix(const char* text, std::size_t length);

}  // namespace vantir
