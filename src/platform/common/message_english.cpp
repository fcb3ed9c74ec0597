#include "platform/common/message_english.h"

#include "platform/common/cp932.h"

namespace {

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }
bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The fixed parts of the texts, compared after conversion to UTF-8.
constexpr std::string_view ALLOC_SUFFIX = "byteの領域の確保に失敗しました。";
constexpr std::string_view FILE_PREFIX = "ファイル[";
constexpr std::string_view FILE_SUFFIX = "]が見つかりません";
constexpr std::string_view SURFACE_TEXT = "画面バッファの作成に失敗しました。";

bool isByteCount(std::string_view digits) {
    if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
    if (digits.empty()) return false;
    for (char c : digits)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::string englishMessageLine(std::string_view cp932Text) {
    const std::string utf8 = cp932ToUtf8(cp932Text);
    const std::string_view text = utf8;
    if (endsWith(text, ALLOC_SUFFIX)) {
        const std::string_view count = text.substr(0, text.size() - ALLOC_SUFFIX.size());
        if (isByteCount(count)) return "Could not allocate " + std::string(count) + " bytes of memory.";
    }
    if (startsWith(text, FILE_PREFIX)) {
        // A long name may have cut the text before its end: name what is left.
        std::string_view name = text.substr(FILE_PREFIX.size());
        if (endsWith(name, FILE_SUFFIX)) name.remove_suffix(FILE_SUFFIX.size());
        return "File [" + std::string(name) + "] not found.";
    }
    if (text == SURFACE_TEXT) return "Could not create the screen buffer.";
    return {};
}
