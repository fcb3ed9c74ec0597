#include "platform/common/messages.h"

#include <cstdio>

#include "platform/common/cp932.h"

namespace vantir {

namespace {

// Each Japanese text with at most one conversion (%d or %s), and its English
// line with the same conversion.
struct MessageTranslation {
    std::string_view japanese;
    std::string_view english;
};
constexpr MessageTranslation TRANSLATIONS[] = {
    {"%dbyteの領域の確保に失敗しました。", "Could not allocate %d bytes of memory."},
    {"ファイル[%s]が見つかりません", "File [%s] not found."},
    {"画面バッファの作成に失敗しました。", "Could not create the screen buffers."},
};

// The text the conversion of `format` stands for in `text`, or false when the
// text does not have the format's shape.
bool matchFormat(std::string_view format, std::string_view text, std::string_view* argument) {
    const std::size_t at = format.find('%');
    if (at == std::string_view::npos) {
        *argument = {};
        return text == format;
    }
    const std::string_view prefix = format.substr(0, at);
    const std::string_view suffix = format.substr(at + 2);
    if (text.size() < prefix.size() + suffix.size() || text.substr(0, prefix.size()) != prefix ||
        text.substr(text.size() - suffix.size()) != suffix)
        return false;
    *argument = text.substr(prefix.size(), text.size() - prefix.size() - suffix.size());
    if (format[at + 1] != 'd') return true;
    // %d: an optional minus and at least one digit.
    std::string_view digits = argument->substr(!argument->empty() && argument->front() == '-' ? 1 : 0);
    if (digits.empty()) return false;
    for (char c : digits)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::string englishMessageLine(std::string_view utf8Text) {
    for (const MessageTranslation& t : TRANSLATIONS) {
        std::string_view argument;
        if (!matchFormat(t.japanese, utf8Text, &argument)) continue;
        const std::size_t at = t.english.find('%');
        if (at == std::string_view::npos) return std::string(t.english);
        return std::string(t.english.substr(0, at)) + std::string(argument) + std::string(t.english.substr(at + 2));
    }
    return {};
}

MessageTexts messageTexts(const char* cp932Caption, const char* cp932Text) {
    MessageTexts box{cp932ToUtf8(cp932Caption ? cp932Caption : ""), cp932ToUtf8(cp932Text ? cp932Text : ""), {}};
    box.english = englishMessageLine(box.text);
    return box;
}

void echoMessageBox(const MessageTexts& box) {
    std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
    if (!box.english.empty()) std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.english.c_str());
}

}  // namespace vantir
