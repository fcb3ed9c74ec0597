#include "platform/headless/headless.h"

namespace {
DWORD virtualTicks = 0;
}

void headlessSetTickCount(DWORD ticks) { virtualTicks = ticks; }
DWORD headlessTickCount() { return virtualTicks; }

DWORD GetTickCount() { return virtualTicks++; }  // unsigned: wraps at 2^32
