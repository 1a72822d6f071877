// Result buffers and strings of the C interface: allocation, release, and lists built from
// type/value pairs.
//
// acutBuildList reads the value after each type as follows, and ends at a type of 0 or RTNONE:
//   RTSTR, RTDXF0, -4, text and handle DXF codes        const ACHAR*
//   RTREAL, RTANG, real DXF codes                          double
//   RTPOINT, RT3DPOINT, point DXF codes                    const ads_real* (three values)
//   RTSHORT, 16-bit and boolean DXF codes, RTLONG,
//   32-bit DXF codes                                       int
//   RTINT64, 64-bit DXF codes                              int64_t
//   RTENAME, RTPICKS, -1, -2                               const int64_t* (an ads_name)
//   binary DXF codes (310-319, 1004)                       const ads_binary*
//   RTLB, RTLE, RTDOTE, RTNIL, RTT, RTVOID, -3             nothing
// Any other type makes the whole call fail (nullptr), nothing leaked.
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "cad/ads/bridge.h"
#include "host/adslib.h"

using cad::RbValue;

resbuf* acutNewRb(int type) {
  if (cad::fault(cad::FaultKind::kAllocation, __func__)) return nullptr;
  return cad::new_rb(type);
}

int acutRelRb(resbuf* rb) {
  while (rb) {
    resbuf* next = rb->rbnext;
    switch (cad::rb_value(rb->restype)) {
      case RbValue::kString:
        std::free(rb->resval.rstring);
        break;
      case RbValue::kBinary:
        std::free(rb->resval.rbinary.buf);
        break;
      case RbValue::kNumber:
      case RbValue::kName:
      case RbValue::kPoint:
      case RbValue::kNone:
        break;
    }
    cad::free_rb(rb);
    rb = next;
  }
  return RTNORM;
}

namespace {

// The longest text the host hands out: 512 M characters, the terminator counted.
constexpr Adesk::Int32 kLongestString = 512 * 1024 * 1024;

// A copy of src (null for null) in copy; the status of making it.
Acad::ErrorStatus copy_string(const ACHAR* src, ACHAR*& copy, const char* call) {
  copy = nullptr;
  if (!src) return Acad::eOk;
  const size_t n = std::wcslen(src);
  if (n >= static_cast<size_t>(kLongestString)) return Acad::eInvalidInput;
  if (cad::fault(cad::FaultKind::kAllocation, call)) return Acad::eOutOfMemory;
  copy = cad::alloc_wide(n + 1);
  if (!copy) return Acad::eOutOfMemory;
  std::wmemcpy(copy, src, n);
  return Acad::eOk;
}

}  // namespace

Acad::ErrorStatus acutNewBuffer(void*& pOutput, size_t size) {
  pOutput = nullptr;
  if (size == 0) return Acad::eInvalidInput;
  if (cad::fault(cad::FaultKind::kAllocation, __func__)) return Acad::eOutOfMemory;
  pOutput = std::calloc(size, 1);
  return pOutput ? Acad::eOk : Acad::eOutOfMemory;
}

Acad::ErrorStatus acutNewString(ACHAR*& pOutput, Adesk::Int32 nNumChars) {
  pOutput = nullptr;
  if (nNumChars < 1 || nNumChars > kLongestString) return Acad::eInvalidInput;
  if (cad::fault(cad::FaultKind::kAllocation, __func__)) return Acad::eOutOfMemory;
  pOutput = cad::alloc_wide(static_cast<size_t>(nNumChars));
  return pOutput ? Acad::eOk : Acad::eOutOfMemory;
}

Acad::ErrorStatus acutNewString(const ACHAR* pInput, ACHAR*& pOutput) {
  return copy_string(pInput, pOutput, __func__);
}

// A copy that cannot be made leaves pOutput as it was.
Acad::ErrorStatus acutUpdString(const ACHAR* pInput, ACHAR*& pOutput) {
  ACHAR* copy = nullptr;
  const Acad::ErrorStatus status = copy_string(pInput, copy, __func__);
  if (status != Acad::eOk) return status;
  std::free(pOutput);
  pOutput = copy;
  return Acad::eOk;
}

void acutDelBuffer(void*& pBuffer) {
  std::free(pBuffer);
  pBuffer = nullptr;
}

resbuf* acutBuildList(int rtype, ...) {
  va_list args;
  va_start(args, rtype);
  cad::RbBuilder list;
  bool ok = true;
  for (int type = rtype; type != 0 && type != RTNONE; type = va_arg(args, int)) {
    switch (type) {
      case RTLB:
      case RTLE:
      case RTDOTE:
      case RTNIL:
      case RTT:
      case RTVOID:
      case -3:
        list.add(type);
        continue;
      case RTREAL:
      case RTANG:
      case RTORINT:
        list.add_real(type, va_arg(args, double));
        continue;
      case RTSHORT:
        list.add_short(type, va_arg(args, int));
        continue;
      case RTLONG:
        list.add(type)->resval.rlong = va_arg(args, int);
        continue;
      case RTINT64:
        list.add(type)->resval.mnInt64 = va_arg(args, int64_t);
        continue;
      default:
        break;
    }
    RbValue value = cad::rb_value(type);
    if (value == RbValue::kNone) {
      ok = false;
      break;
    }
    resbuf* rb = list.add(type);
    switch (value) {
      case RbValue::kString: {
        const ACHAR* s = va_arg(args, const ACHAR*);
        rb->resval.rstring = cad::alloc_wide(s ? std::wcslen(s) + 1 : 1);
        if (s) std::wcscpy(rb->resval.rstring, s);
        break;
      }
      case RbValue::kName: {
        const int64_t* name = va_arg(args, const int64_t*);
        rb->resval.rlname[0] = name ? name[0] : 0;
        rb->resval.rlname[1] = name ? name[1] : 0;
        break;
      }
      case RbValue::kPoint: {
        const ads_real* p = va_arg(args, const ads_real*);
        if (p) std::memcpy(rb->resval.rpoint, p, sizeof(ads_point));
        break;
      }
      case RbValue::kBinary: {
        const ads_binary* b = va_arg(args, const ads_binary*);
        short n = b && b->clen > 0 ? b->clen : 0;
        rb->resval.rbinary.clen = n;
        rb->resval.rbinary.buf = static_cast<char*>(std::malloc(n ? n : 1));
        if (n) std::memcpy(rb->resval.rbinary.buf, b->buf, static_cast<size_t>(n));
        break;
      }
      case RbValue::kNumber:
        switch (cad::group_type(type)) {
          case cad::GroupType::kReal:
            rb->resval.rreal = va_arg(args, double);
            break;
          case cad::GroupType::kInt32:
            rb->resval.rlong = va_arg(args, int);
            break;
          case cad::GroupType::kInt64:
            rb->resval.mnInt64 = va_arg(args, int64_t);
            break;
          default:
            rb->resval.rint = static_cast<short>(va_arg(args, int));
            break;
        }
        break;
      case RbValue::kNone:
        break;
    }
  }
  va_end(args);
  // The list is one allocation to the caller, however many nodes it has.
  if (!ok || cad::fault(cad::FaultKind::kAllocation, __func__)) return nullptr;
  return list.release();
}
