// Fault injection: the host can make the Nth allocation, entity creation or entity change of its
// C interface fail the way the host fails when it cannot do the work, so that tests (and
// `dulk --fail KIND:N`) can walk a failure over every such step of a command and check that the
// module ends the command cleanly.
//
// The events of each kind, each counted once per call:
//   allocation  what the interface hands the module that the host must allocate: acutNewRb,
//               acutNewString, acutUpdString, acutBuildList, the lists of acdbEntGet(X),
//               acdbTblSearch, acdbTblNext and acedGetArgs, the text of acedGetVar, a
//               selection set made by acedSSGet or acedSSAdd, a symbol table opened by
//               AcDbDatabase::getSymbolTable
//   creation    acdbEntMake, and the DIMENSION (with its block) that DIM1 makes
//   change      acdbEntMod, acdbEntDel, acdbRegApp
// A call that would fail anyway (an unknown entity, a list the host refuses, nothing to hand
// over) is no event. How each fails: lists and strings come back null, acedGetVar answers
// RTERROR, acedSSGet and acedSSAdd answer RTREJ (so that a caller can tell it from RTERROR,
// nothing selected), getSymbolTable answers eOutOfMemory, acdbEntMake, acdbEntMod, acdbEntDel and
// acdbRegApp answer RTERROR and change nothing, and DIM1 fails as a command (acedCommandS
// answers RTERROR; the command's changes are rolled back).
//
// Only the armed event fails; the ones after it succeed again. Disarmed, an event costs one
// counter increment.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cad {

enum class FaultKind : uint8_t { kAllocation, kCreation, kChange };
constexpr size_t kFaultKindCount = 3;
constexpr std::array<FaultKind, kFaultKindCount> kFaultKinds = {
    FaultKind::kAllocation, FaultKind::kCreation, FaultKind::kChange};

// "allocation", "creation", "change".
std::string_view fault_kind_name(FaultKind kind);

// Which event is to fail: the nth (from 1) of its kind.
struct FaultPlan {
  FaultKind kind = FaultKind::kAllocation;
  uint64_t nth = 0;
};

// Reads "KIND:N" (KIND one of the names above, N a whole number from 1); on a mistake returns
// nothing and says why in *error.
std::optional<FaultPlan> parse_fault_plan(std::string_view text, std::string* error);

class FaultInjector {
 public:
  // Counts one event of kind made by call (the interface function or host command, a literal);
  // true when it is the armed one, which the caller then fails.
  bool fail(FaultKind kind, const char* call) {
    const size_t k = static_cast<size_t>(kind);
    if (++counts_[k] != armed_[k]) return false;
    failed_call_ = call;
    return true;
  }

  // Starts counting every kind from 0; the plan's event will fail.
  void arm(const FaultPlan& plan);
  // Starts counting every kind from 0 with nothing armed.
  void disarm();
  // Events of kind since the last arm or disarm.
  uint64_t count(FaultKind kind) const { return counts_[static_cast<size_t>(kind)]; }
  // Whether the armed event has happened (and failed).
  bool fired() const { return failed_call_ != nullptr; }
  // The call whose event failed, or null.
  const char* failed_call() const { return failed_call_; }

 private:
  std::array<uint64_t, kFaultKindCount> counts_{};
  // 0: nothing armed for that kind (counts start at 1).
  std::array<uint64_t, kFaultKindCount> armed_{};
  const char* failed_call_ = nullptr;
};

}  // namespace cad
