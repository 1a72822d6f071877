#include "cad/db/group.h"

#include <utility>

namespace cad {

GroupType group_type(int code) {
  if (code < 0) return code == -4 || code == -2 ? GroupType::kText : GroupType::kInt32;
  if (code <= 4 || (code >= 6 && code <= 9)) return GroupType::kText;
  if (code == 5) return GroupType::kHandle;
  if ((code >= 10 && code <= 18)) return GroupType::kPoint;
  if (code >= 19 && code <= 59) return GroupType::kReal;
  if (code >= 60 && code <= 79) return GroupType::kInt16;
  if (code >= 90 && code <= 99) return GroupType::kInt32;
  if (code == 100 || code == 101 || code == 102) return GroupType::kText;
  if (code == 105) return GroupType::kHandle;
  if (code >= 110 && code <= 112) return GroupType::kPoint;
  if (code >= 113 && code <= 149) return GroupType::kReal;
  if (code >= 160 && code <= 169) return GroupType::kInt64;
  if (code >= 170 && code <= 179) return GroupType::kInt16;
  if (code == 210) return GroupType::kPoint;
  if (code >= 211 && code <= 239) return GroupType::kReal;
  if (code >= 270 && code <= 289) return GroupType::kInt16;
  if (code >= 290 && code <= 299) return GroupType::kBool;
  if (code >= 300 && code <= 309) return GroupType::kText;
  if (code >= 310 && code <= 319) return GroupType::kBinary;
  if (code >= 320 && code <= 369) return GroupType::kHandle;
  if (code >= 370 && code <= 389) return GroupType::kInt16;
  if (code >= 390 && code <= 399) return GroupType::kHandle;
  if (code >= 400 && code <= 409) return GroupType::kInt16;
  if (code >= 410 && code <= 419) return GroupType::kText;
  if (code >= 420 && code <= 429) return GroupType::kInt32;
  if (code >= 430 && code <= 439) return GroupType::kText;
  if (code >= 440 && code <= 449) return GroupType::kInt32;
  if (code >= 450 && code <= 459) return GroupType::kInt32;
  if (code >= 460 && code <= 469) return GroupType::kReal;
  if (code >= 470 && code <= 479) return GroupType::kText;
  if (code >= 480 && code <= 481) return GroupType::kHandle;
  if (code == 999) return GroupType::kComment;
  if (code == 1004) return GroupType::kBinary;
  if (code == 1005) return GroupType::kHandle;
  if (code >= 1000 && code <= 1009) return GroupType::kText;
  if (code >= 1010 && code <= 1013) return GroupType::kPoint;
  if (code >= 1014 && code <= 1059) return GroupType::kReal;
  if (code >= 1060 && code <= 1070) return GroupType::kInt16;
  if (code == 1071) return GroupType::kInt32;
  return GroupType::kText;
}

Group Group::text(int code, std::string value) {
  Group g;
  g.code = code;
  g.s = std::move(value);
  return g;
}

Group Group::real(int code, double value) {
  Group g;
  g.code = code;
  g.x = value;
  return g;
}

Group Group::integer(int code, int64_t value) {
  Group g;
  g.code = code;
  g.i = value;
  return g;
}

Group Group::point(int code, Vec3 p, uint8_t dims) {
  Group g;
  g.code = code;
  g.dims = dims;
  g.x = p.x;
  g.y = p.y;
  g.z = p.z;
  return g;
}

}  // namespace cad
