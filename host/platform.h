// What the operating system gives a module on the real host's platform, in the same shape: the
// module's entry notification (process attach and detach, with its instance handle) and string
// resources. The stand-in host calls DllMain after loading a module and before unloading it.
#pragma once

#include "arx.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1

// Exported by the module (optional); the host calls it with the module's handle.
extern "C" int DllMain(HINSTANCE instance, unsigned long reason, void* reserved);

// A module's string resources: a module exports a table named arx_string_resources, ending with
// an entry whose text is null. Copies string id of that module into buffer (truncated to
// max_chars - 1 characters, terminated); returns the number of characters, 0 when there is none.
struct ArxStringResource {
  unsigned id;
  const wchar_t* text;
};
extern "C" int LoadStringW(HINSTANCE instance, unsigned id, wchar_t* buffer, int max_chars);
