// Basic types of the host's C interface: reals, points, entity and selection-set names, and the
// result buffer that carries every value across the interface. Declared as the real host's SDK
// declares them (adsdef.h there); the stand-in host implements what the headers of host/ declare.
#pragma once

#include <cstdint>

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

typedef wchar_t ACHAR;
#define _ACRX_T(x) L##x
#define ACRX_T(x) _ACRX_T(x)

typedef double ads_real;
typedef ads_real ads_point[3];
// Names are two pointer-sized integers; the module is built for 64 bits only.
typedef int64_t ads_name[2];
typedef int64_t* ads_namep;
typedef ads_real ads_matrix[4][4];
typedef ads_real* ads_pointp;

enum { X = 0, Y = 1, Z = 2 };
enum { T = 3 };

// Control bits of acedInitGet.
enum {
  RSG_NONULL = 0x0001,
  RSG_NOZERO = 0x0002,
  RSG_NONEG = 0x0004,
  RSG_NOLIM = 0x0008,
  RSG_GETZ = 0x0010,
  RSG_DASH = 0x0020,
  RSG_2D = 0x0040,
  RSG_OTHER = 0x0080,
};

struct ads_binary {
  short clen;
  char* buf;
};

union ads_u_val {
  ads_real rreal;
  ads_real rpoint[3];
  short rint;
  ACHAR* rstring;
  int64_t rlname[2];
  int64_t mnLongPtr;
  int32_t rlong;
  int64_t mnInt64;
  struct ads_binary rbinary;
  unsigned char ihandle[8];
};

struct resbuf {
  struct resbuf* rbnext;
  short restype;
  union ads_u_val resval;
};
