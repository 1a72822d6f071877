// Coordinate-system buffers for acedTrans.
#include "commands/coordinates.h"

resbuf coordinate_system(short code) {
  resbuf rb{};
  rb.restype = RTSHORT;
  rb.resval.rint = code;
  return rb;
}

resbuf extrusion_system(const ads_point extrusion) {
  resbuf rb{};
  rb.restype = RT3DPOINT;
  rb.resval.rpoint[X] = extrusion[X];
  rb.resval.rpoint[Y] = extrusion[Y];
  rb.resval.rpoint[Z] = extrusion[Z];
  return rb;
}

bool is_world_extrusion(const ads_point extrusion) {
  return extrusion[X] == 0.0 && extrusion[Y] == 0.0 && extrusion[Z] == 1.0;
}
