// The program's message texts for users who do not read Japanese: an English
// line to show under each Japanese text, where the platform shows it in a box
// of its own (SDL, the browser) and on stderr.
#pragma once

#include <string>
#include <string_view>

namespace vantir {

// The English line for a message text as shown (UTF-8, already formatted), or
// an empty string for a text that is not one of the program's.
std::string englishMessageLine(std::string_view utf8Text);

// A message box's texts as a platform shows them: caption and text in UTF-8,
// and the English line for the text (empty when it has none).
struct MessageTexts {
    std::string caption;
    std::string text;
    std::string english;
};
MessageTexts messageTexts(const char* cp932Caption, const char* cp932Text);

// Writes a message box to stderr: "caption: text", then the English line
// under it when there is one.
void echoMessageBox(const MessageTexts& box);

}  // namespace vantir
