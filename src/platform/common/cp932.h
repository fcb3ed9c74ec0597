// CP932 (Shift-JIS as Windows extends it) to UTF-8, for showing the program's
// message texts on systems whose text is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vantir {

// Bytes that do not form a CP932 character become U+FFFD, one per byte, so a
// damaged text still shows everything around the damage.
std::string cp932ToUtf8(std::string_view text);

}  // namespace vantir
