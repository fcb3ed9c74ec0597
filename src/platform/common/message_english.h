// An English line for each of the program's message texts, shown under the
// Japanese text by backends whose users may not read it.
#pragma once

#include <string>
#include <string_view>

// The English of a CP932 message text as the program formats it, or an empty
// string for a text the program does not show.
std::string englishMessageLine(std::string_view cp932Text);
