// The module's frame: its application object with the command map of the six commands, the
// entry points the host finds by name, the operating system's attach notification, and the data
// the module keeps per open document.
#pragma once

#include "host/arxHeaders.h"

// The module's record per document. No command keeps anything per document yet.
struct CDocData {};

// The data per document, registered with the host's document manager for as long as the module
// is loaded.
extern AcApDataManager<CDocData> DocVars;
