// The host's way to end what runs (the real SDK's rxboiler.h): acrx_abort prints its message and
// does not come back to its caller. The real host ends there; the stand-in ends the running
// command and rolls it back.
#pragma once

#include "adsdef.h"

extern "C" void acrx_abort(const ACHAR* format, ...);
