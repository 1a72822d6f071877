// Owners for what the module obtains from the host: result-buffer lists, single result buffers
// filled by the host (system variable values) and selection sets. A command aborted by
// acrx_abort or cancelled with Esc is unwound by the host, so every path out of a routine must
// give back what it got; these owners do that in their destructors.
#pragma once

#include "host/arxHeaders.h"

// A result-buffer list, released with acutRelRb.
class RbList {
 public:
  RbList() = default;
  explicit RbList(resbuf* head) : head_(head) {}
  ~RbList() { reset(); }
  RbList(RbList&& other) noexcept : head_(other.release()) {}
  RbList& operator=(RbList&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  RbList(const RbList&) = delete;
  RbList& operator=(const RbList&) = delete;

  resbuf* get() const { return head_; }
  explicit operator bool() const { return head_ != nullptr; }
  // Hands the list over; the caller releases it.
  resbuf* release() {
    resbuf* head = head_;
    head_ = nullptr;
    return head;
  }
  void reset(resbuf* head = nullptr) {
    if (head_ != nullptr && head_ != head) acutRelRb(head_);
    head_ = head;
  }

 private:
  resbuf* head_ = nullptr;
};

// One result buffer held by value, as acedGetVar fills it; a text it holds is released with it.
class RbValue {
 public:
  RbValue() { rb_.restype = RTNONE; }
  ~RbValue() { clear(); }
  RbValue(const RbValue&) = delete;
  RbValue& operator=(const RbValue&) = delete;

  // The buffer for a host call to fill; what it held before is released first.
  resbuf* fill() {
    clear();
    return &rb_;
  }
  const resbuf& get() const { return rb_; }
  // The text held, or null when the buffer holds no text.
  const ACHAR* text() const { return rb_.restype == RTSTR ? rb_.resval.rstring : nullptr; }

 private:
  void clear() {
    if (rb_.restype == RTSTR && rb_.resval.rstring != nullptr) acutDelString(rb_.resval.rstring);
    rb_ = resbuf{};
    rb_.restype = RTNONE;
  }

  resbuf rb_{};
};

// A selection set, freed with acedSSFree. A set is held only after a call that made it succeeded,
// so a failed selection never frees a name the host did not hand out.
class SsName {
 public:
  SsName() = default;
  ~SsName() { reset(); }
  SsName(const SsName&) = delete;
  SsName& operator=(const SsName&) = delete;

  bool held() const { return held_; }
  const int64_t* name() const { return name_; }
  // Takes over a set the host made.
  void adopt(const ads_name set) {
    reset();
    name_[0] = set[0];
    name_[1] = set[1];
    held_ = true;
  }
  // Hands the set over; the caller frees it.
  void release(ads_name out) {
    out[0] = name_[0];
    out[1] = name_[1];
    held_ = false;
  }
  void reset() {
    if (held_) acedSSFree(name_);
    held_ = false;
  }

 private:
  ads_name name_ = {0, 0};
  bool held_ = false;
};

// acedSSGet into an owner; the owner holds the set only when the selection succeeded.
inline int ss_get(const ACHAR* mode, const void* pt1, const void* pt2, const resbuf* filter,
                  SsName& ss) {
  ads_name set = {0, 0};
  const int status = acedSSGet(mode, pt1, pt2, filter, set);
  if (status == RTNORM) {
    ss.adopt(set);
  } else {
    ss.reset();
  }
  return status;
}
