// Shared helpers of the C interface.
#include "cad/ads/bridge.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <utility>

#include "cad/base/utf8.h"
#include "host/adslib.h"

namespace cad {

Host& host() {
  Host* h = current_host();
  if (!h) {
    std::fputs("dulk: host interface called with no current host\n", stderr);
    std::abort();
  }
  return *h;
}

bool fault(FaultKind kind, const char* call) {
  Host* h = current_host();
  return h != nullptr && h->faults().fail(kind, call);
}

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

ACHAR* alloc_wide(size_t size) {
  return static_cast<ACHAR*>(std::calloc(size ? size : 1, sizeof(ACHAR)));
}

ACHAR* new_wide(std::string_view utf8) {
  // Nearly every text is ASCII: widened straight into the result, without a string between.
  if (std::all_of(utf8.begin(), utf8.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    ACHAR* out = alloc_wide(utf8.size() + 1);
    std::copy(utf8.begin(), utf8.end(), out);
    out[utf8.size()] = 0;
    return out;
  }
  std::wstring w = to_wide(utf8);
  ACHAR* out = alloc_wide(w.size() + 1);
  std::wmemcpy(out, w.c_str(), w.size() + 1);
  return out;
}

bool copy_wide(std::string_view utf8, ACHAR* out, size_t len) {
  if (!out || len == 0) return false;
  std::wstring w = to_wide(utf8);
  size_t n = std::min(w.size(), len - 1);
  std::wmemcpy(out, w.c_str(), n);
  out[n] = 0;
  return n == w.size();
}

RbValue rb_value(int restype) {
  switch (restype) {
    case RTSTR:
    case RTDXF0:
    case -4:
      return RbValue::kString;
    case RTENAME:
    case RTPICKS:
    case -1:
    case -2:
      return RbValue::kName;
    case RTPOINT:
    case RT3DPOINT:
      return RbValue::kPoint;
    case RTREAL:
    case RTANG:
    case RTSHORT:
    case RTLONG:
    case RTORINT:
    case RTINT64:
      return RbValue::kNumber;
    default:
      break;
  }
  if (restype < 0 || restype > 1071) return RbValue::kNone;
  switch (group_type(restype)) {
    case GroupType::kText:
    case GroupType::kHandle:
    case GroupType::kComment:
      return RbValue::kString;
    case GroupType::kBinary:
      return RbValue::kBinary;
    case GroupType::kPoint:
      return RbValue::kPoint;
    case GroupType::kReal:
    case GroupType::kInt16:
    case GroupType::kInt32:
    case GroupType::kInt64:
    case GroupType::kBool:
      break;
  }
  return RbValue::kNumber;
}

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kKeptNodes = 0;
#else
constexpr size_t kKeptNodes = 4096;
#endif

// Nodes given back, linked through rbnext; freed at exit. The host runs on one thread.
struct KeptNodes {
  resbuf* first = nullptr;
  size_t count = 0;
  ~KeptNodes() {
    while (first) std::free(std::exchange(first, first->rbnext));
  }
};
KeptNodes kept;

}  // namespace

resbuf* new_rb(int type) {
  resbuf* rb = kept.first;
  if (rb) {
    kept.first = rb->rbnext;
    --kept.count;
    *rb = resbuf{};
  } else {
    rb = static_cast<resbuf*>(std::calloc(1, sizeof(resbuf)));
    if (!rb) return nullptr;
  }
  rb->restype = static_cast<short>(type);
  return rb;
}

void free_rb(resbuf* rb) {
  if (kept.count >= kKeptNodes) {
    std::free(rb);
    return;
  }
  rb->rbnext = kept.first;
  kept.first = rb;
  ++kept.count;
}

RbBuilder::~RbBuilder() { acutRelRb(head_); }

resbuf* RbBuilder::add(int type) {
  resbuf* rb = new_rb(type);
  if (tail_)
    tail_->rbnext = rb;
  else
    head_ = rb;
  tail_ = rb;
  return rb;
}

void RbBuilder::add_text(int type, std::string_view utf8) {
  add(type)->resval.rstring = new_wide(utf8);
}

void RbBuilder::add_point(int type, Vec3 p) { from_vec(p, add(type)->resval.rpoint); }

void RbBuilder::add_real(int type, double value) { add(type)->resval.rreal = value; }

void RbBuilder::add_short(int type, int value) {
  add(type)->resval.rint = static_cast<short>(value);
}

void RbBuilder::add_name(int type, const ads_name name) {
  resbuf* rb = add(type);
  rb->resval.rlname[0] = name[0];
  rb->resval.rlname[1] = name[1];
}

void RbBuilder::add_group(const Group& g) {
  switch (g.type()) {
    case GroupType::kText:
    case GroupType::kHandle:
    case GroupType::kComment:
      add_text(g.code, g.s());
      return;
    case GroupType::kReal:
      add_real(g.code, g.x());
      return;
    case GroupType::kPoint:
      add_point(g.code, g.pt());
      return;
    case GroupType::kInt16:
    case GroupType::kBool:
      add_short(g.code, static_cast<int>(g.i()));
      return;
    case GroupType::kInt32:
      add(g.code)->resval.rlong = static_cast<int32_t>(g.i());
      return;
    case GroupType::kInt64:
      add(g.code)->resval.mnInt64 = g.i();
      return;
    case GroupType::kBinary:
      break;
  }
  resbuf* rb = add(g.code);
  size_t n = g.s().size() / 2;
  rb->resval.rbinary.clen = static_cast<short>(n);
  rb->resval.rbinary.buf = static_cast<char*>(std::malloc(n ? n : 1));
  for (size_t k = 0; k < n; ++k) {
    int hi = hex_value(g.s()[2 * k]);
    int lo = hex_value(g.s()[2 * k + 1]);
    rb->resval.rbinary.buf[k] = static_cast<char>(hi < 0 || lo < 0 ? 0 : hi * 16 + lo);
  }
}

resbuf* RbBuilder::release() {
  resbuf* out = head_;
  head_ = tail_ = nullptr;
  return out;
}

Group rb_to_group(const resbuf& rb) {
  Group g;
  g.code = rb.restype;
  switch (group_type(rb.restype)) {
    case GroupType::kText:
    case GroupType::kHandle:
    case GroupType::kComment:
      g.set_s(to_utf8(rb.resval.rstring));
      break;
    case GroupType::kReal:
      g.set_x(rb.resval.rreal);
      break;
    case GroupType::kPoint:
      g.set_x(rb.resval.rpoint[X]);
      g.set_y(rb.resval.rpoint[Y]);
      g.set_z(rb.resval.rpoint[Z]);
      break;
    case GroupType::kInt16:
    case GroupType::kBool:
      g.set_i(rb.resval.rint);
      break;
    case GroupType::kInt32:
      g.set_i(rb.resval.rlong);
      break;
    case GroupType::kInt64:
      g.set_i(rb.resval.mnInt64);
      break;
    case GroupType::kBinary: {
      static constexpr char kDigits[] = "0123456789ABCDEF";
      std::string hex;
      for (short k = 0; k < rb.resval.rbinary.clen; ++k) {
        auto b = static_cast<unsigned char>(rb.resval.rbinary.buf[k]);
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
      }
      g.set_s(hex);
      break;
    }
  }
  return g;
}

void make_name(const Database& db, RecordId id, ads_name out) {
  out[0] = static_cast<int64_t>(id) + 1;
  out[1] = db.serial();
}

RecordId name_record(const Database& db, const ads_name name) {
  if (!name || name[1] != db.serial() || name[0] <= 0) return kNoRecord;
  auto id = static_cast<RecordId>(name[0] - 1);
  return db.valid(id) ? id : kNoRecord;
}

}  // namespace cad
