// The host's C interface (ADS) in one include: the types and codes, the editor, utility,
// database and text functions, and scripted commands.
#pragma once

#include "acdbads.h"
#include "acedCmdNF.h"
#include "acedads.h"
#include "acutads.h"
#include "acutmem.h"
#include "adscodes.h"
#include "adsdef.h"
#include "rxboiler.h"
