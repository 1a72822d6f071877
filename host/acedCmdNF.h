// Scripted host commands (the real SDK's acedCmdNF.h, which arxHeaders.h there does not
// include). The command runs to completion before the call returns.
#pragma once

#include <cstddef>

#include "adsdef.h"

class AcApDocument;

// Type/value pairs ending with RTNONE (or 0).
int acedCommandS(int rtype, ...);
int acedCmdS(const resbuf* rb, bool forFutureUse = false, AcApDocument* pForFutureUse = NULL);
