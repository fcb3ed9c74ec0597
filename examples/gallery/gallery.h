// The gallery: a second program on the shell that shows everything the
// engine draws besides the demo's sphere, one view at a time.
//
// Keys: 1 to 9 choose a view (anew, from its first frame), space or N the
// next one, P holds every view still and lets it go again. A left drag turns
// the view's object, a right drag orbits the camera around it. Views move by
// frame count, never by clock, so a held view (or a view some frames after it
// was chosen) shows the same picture on every platform.
#pragma once

#include "app/program.h"

extern const vantir::Program galleryProgram;
