// Everything of the host interface in one include, as module sources expect it.
#pragma once

#include "adsdef.h"
#include "adsdlg.h"
#include "adslib.h"
#include "arx.h"
#include "platform.h"
