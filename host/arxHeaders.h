// Everything of the host interface in one include, as the module's sources expect it. With
// DULK_OBJECTARX defined (and the real SDK's inc/ folder on the include path) it is the real
// SDK's interface, with what the SDK needs before it; otherwise the stand-in's declarations of
// the same interface. No other file of the module knows which.
#pragma once

#ifdef DULK_OBJECTARX
// The SDK needs the operating system's and the C library's time declarations before it.
// clang-format off
#include <windows.h>
#include <ctime>
#include <arxHeaders.h>
#include <acedCmdNF.h>
// clang-format on
#else
#include "AcApDMgr.h"
#include "adsdlg.h"
#include "adslib.h"
#include "arx.h"
#include "arxEntryPoint.h"
#include "dbxEntryPoint.h"
#include "platform.h"
#endif
