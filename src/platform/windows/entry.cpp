// vantir.exe: Windows enters the program at WinMain, which the engine defines
// (src/app). This file only gives the executable a translation unit of its
// own; the reference below makes the linker take WinMain from the engine
// library whatever the C runtime's start-up code looks like.
#include "platform/win32.h"

namespace {
[[maybe_unused]] auto* const programEntry = &WinMain;
}
