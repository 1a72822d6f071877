// Texts handed to and from the host's interface (the real SDK's acutmem.h). Texts made here are
// released with acutDelString or with the result buffer that holds them.
#pragma once

#include <cstddef>

#include "acadstrc.h"
#include "adesk.h"
#include "adsdef.h"

Acad::ErrorStatus acutNewBuffer(void*& pOutput, size_t size);
// A buffer of nNumChars characters (the terminator counted), not initialised. eInvalidInput for
// a count below 1 or above 512 M characters, eOutOfMemory when the host has no memory; pOutput
// is then null.
Acad::ErrorStatus acutNewString(ACHAR*& pOutput, Adesk::Int32 nNumChars);
// A copy of pInput (null for a null input).
Acad::ErrorStatus acutNewString(const ACHAR* pInput, ACHAR*& pOutput);
// As acutNewString, releasing what pOutput held first.
Acad::ErrorStatus acutUpdString(const ACHAR* pInput, ACHAR*& pOutput);
// Releases pBuffer (nothing for null) and sets it to null.
void acutDelBuffer(void*& pBuffer);

inline void acutDelString(wchar_t*& pString) {
  void* buffer = pString;
  ::acutDelBuffer(buffer);
  pString = nullptr;
}
