// The host's fixed-size integer names (the real SDK's adesk.h), as far as the interface the
// module uses names them.
#pragma once

#include <cstdint>

struct Adesk {
  typedef int8_t Int8;
  typedef int16_t Int16;
  typedef int32_t Int32;
  typedef int64_t Int64;
  typedef uint8_t UInt8;
  typedef uint16_t UInt16;
  typedef uint32_t UInt32;
  typedef uint64_t UInt64;
  typedef int64_t LongPtr;
  typedef uint64_t ULongPtr;
  typedef int64_t IntPtr;
  typedef uint64_t UIntPtr;
  typedef LongPtr IntDbId;
  typedef bool Boolean;
};
