// Control and inspection of the headless backend, for tests and the replay tool.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

// One message box the program showed: caption and text as the raw bytes it passed.
struct HeadlessMessageBox {
    std::string caption;
    std::string text;
};

// Every message box shown since the last clear, oldest first.
const std::vector<HeadlessMessageBox>& headlessMessageBoxes();
void headlessClearMessageBoxes();

// The virtual tick count: every GetTickCount call returns the current value
// and then advances it by one millisecond, so busy waits end deterministically.
void headlessSetTickCount(DWORD ticks);
DWORD headlessTickCount();
