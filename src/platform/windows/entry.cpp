// vantir.exe: Windows enters the program at WinMain, which the engine library
// defines (src/app). The C runtime asks for WinMain only after the engine
// library has been searched, so this reference makes the linker take it from
// there; it also gives the executable a translation unit of its own.
#include "platform/win32.h"

[[gnu::used]] static int(WINAPI* const programEntry)(HINSTANCE, HINSTANCE, LPSTR, int) = &WinMain;
