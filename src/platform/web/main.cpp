// The browser program: the page loads it, and it enters at WinMain as on
// Windows. When the program ends the page is told, since a page, unlike a
// window, stays open.
#include <emscripten.h>

#include "platform/win32.h"

// clang-format off
EM_JS(void, webProgramEnded, (int exitCode), {
    if (Module.vantirWeb) Module.vantirWeb.ignoreInput = true;
    const page = Module.vantirPage;
    if (page && page.ended) page.ended(exitCode);
});
// clang-format on

int main() {
    char commandLine[] = "";
    const int result = WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT);
    webProgramEnded(result);
    return result;
}
