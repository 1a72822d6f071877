// What the files of the C interface share: text between the interface's wide strings and the
// host's UTF-8, result buffers and their ownership, entity names, and DXF groups as result
// buffers. Host code only; the module never sees this header.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cad/ads/host.h"
#include "cad/base/utf8.h"
#include "cad/db/database.h"
#include "host/adsdef.h"

namespace cad {

// The host the interface acts on. Every interface call needs one; calling without is a bug of
// whoever embeds the host, so it stops the process with a message.
Host& host();

// Counts a fault event of call on the current host (cad/ads/faults.h); true when it is the armed
// one and the caller must fail. Without a current host nothing is counted.
bool fault(FaultKind kind, const char* call);

// ---- text (to_utf8 and to_wide in cad/base/utf8.h) ----
// Room for size characters, zeroed, as acutNewString gives it but no fault event: for strings
// inside what the host hands over as one allocation.
ACHAR* alloc_wide(size_t size);
// A fresh string for a result buffer (released by acutRelRb / acutDelString).
ACHAR* new_wide(std::string_view utf8);
// Copies text into a caller's buffer of len characters, cut to fit; false when it had to be cut
// (or len is 0).
bool copy_wide(std::string_view utf8, ACHAR* out, size_t len);

// ---- result buffers ----
// What a result buffer of this type holds besides plain numbers.
enum class RbValue { kNumber, kString, kBinary, kName, kPoint, kNone };
RbValue rb_value(int restype);
// A zeroed node (string and binary pointers null), and a node given back; its value is the
// caller's to free. Nodes given back are kept for the next ones, as every entity list a module
// reads is a few dozen of them (not under the address sanitizer, which must see each node's life).
resbuf* new_rb(int type);
void free_rb(resbuf* rb);
// Appends to a list being built; keeps the tail so building stays linear.
class RbBuilder {
 public:
  RbBuilder() = default;
  RbBuilder(const RbBuilder&) = delete;
  RbBuilder& operator=(const RbBuilder&) = delete;
  ~RbBuilder();
  resbuf* add(int type);
  void add_text(int type, std::string_view utf8);
  void add_point(int type, Vec3 p);
  void add_real(int type, double value);
  void add_short(int type, int value);
  void add_name(int type, const ads_name name);
  void add_group(const Group& g);
  // Hands the list over to the caller.
  resbuf* release();

 private:
  resbuf* head_ = nullptr;
  resbuf* tail_ = nullptr;
};

// A group from a result buffer whose type is a DXF code (0-999, 1000-1071); its value read as the
// code's group type says. Binary values come back as hexadecimal text, as the drawing keeps them.
Group rb_to_group(const resbuf& rb);

// ---- entity names ----
// {record id + 1, database serial}: a name of another drawing, or of a record rolled back,
// finds nothing.
void make_name(const Database& db, RecordId id, ads_name out);
RecordId name_record(const Database& db, const ads_name name);
inline bool name_is_null(const ads_name name) { return name[0] == 0 && name[1] == 0; }

// ---- points ----
inline Vec3 to_vec(const ads_point p) { return {p[X], p[Y], p[Z]}; }
inline void from_vec(Vec3 v, ads_point out) {
  out[X] = v.x;
  out[Y] = v.y;
  out[Z] = v.z;
}

}  // namespace cad
