// The demo's entry: the operating system (or the backend's main on Linux and
// in the browser) enters the program here.
#include "app/demo/demo.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return vantir::runProgram(vantir::demoProgram, instance, showCommand);
}
