// What the module takes from the operating system of the real host, in the shapes of its
// headers (windows.h there): module handles, the entry notification of a module (DllMain, with
// process attach and detach) and string resources. The stand-in host calls a module's DllMain
// after loading it and before unloading it.
#pragma once

#include "adsdef.h"

struct HINSTANCE__ {
  int unused;
};
typedef struct HINSTANCE__* HINSTANCE;
typedef int BOOL;
typedef unsigned long DWORD;
typedef unsigned int UINT;
typedef void* LPVOID;
typedef wchar_t* LPWSTR;
#define WINAPI

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1

// Copies string uID of the module's resources into lpBuffer (cut to cchBufferMax - 1 characters,
// terminated); the number of characters, 0 when there is none.
extern "C" int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);

// Stand-in only: a module's string resources are the table it exports under this name, ending
// with an entry whose text is null.
struct ArxStringResource {
  unsigned id;
  const wchar_t* text;
};
#define ARX_STRING_RESOURCES "arx_string_resources"
