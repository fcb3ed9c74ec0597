// The gallery's entry: the operating system (or the backend's main on Linux
// and in the browser) enters the program here.
#include "gallery.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return vantir::runProgram(galleryProgram, instance, showCommand);
}
