// The module's entry points as the host finds them by name, and the per-document data manager
// they keep while the module is loaded.
#pragma once

#include <cstdint>

#include "frame/doc_data.h"
#include "host/arxHeaders.h"

// The host passes the message code as a 32-bit integer. Codes outside the host's list must be
// answered safely, and such a value has no place in the enumeration of message codes, so the
// module takes the code as an integer.
extern "C" AcRx::AppRetCode acrxEntryPoint(int32_t msg, void* pkt);
extern "C" int acrxGetApiVersion();

// The per-document data manager; null before the host first talked to the module and after the
// module was unloaded.
const AcApDataManager<CDocData>* doc_data_manager();
