// The program's message texts for users who do not read Japanese: an English
// line to show under each Japanese text, where the platform shows it in a box
// of its own (SDL, the browser) and on stderr.
#pragma once

#include <string>
#include <string_view>

// The English line for a message text as shown (UTF-8, already formatted), or
// an empty string for a text that is not one of the program's.
std::string englishMessageLine(std::string_view utf8Text);

// Writes a message box to stderr: "caption: text" in UTF-8, then the English
// line under it when there is one.
void echoMessageBox(const char* cp932Caption, const char* cp932Text);
