// Arming the fault injector and reading a plan from the command line.
#include "cad/ads/faults.h"

#include <charconv>

namespace cad {

std::string_view fault_kind_name(FaultKind kind) {
  switch (kind) {
    case FaultKind::kAllocation:
      return "allocation";
    case FaultKind::kCreation:
      return "creation";
    case FaultKind::kChange:
      return "change";
  }
  return "?";
}

std::optional<FaultPlan> parse_fault_plan(std::string_view text, std::string* error) {
  const size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  std::optional<FaultPlan> plan;
  for (FaultKind kind : kFaultKinds) {
    if (fault_kind_name(kind) == name) plan = FaultPlan{kind, 0};
  }
  if (!plan || colon == std::string_view::npos) {
    *error = "--fail expects allocation:N, creation:N or change:N, got '" + std::string(text) + "'";
    return std::nullopt;
  }
  const std::string_view number = text.substr(colon + 1);
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), plan->nth);
  if (ec != std::errc() || end != number.data() + number.size() || plan->nth == 0) {
    *error =
        "--fail expects a whole number from 1 after the kind, got '" + std::string(number) + "'";
    return std::nullopt;
  }
  return plan;
}

void FaultInjector::arm(const FaultPlan& plan) {
  disarm();
  armed_[static_cast<size_t>(plan.kind)] = plan.nth;
}

void FaultInjector::disarm() {
  counts_ = {};
  armed_ = {};
  failed_call_ = nullptr;
}

}  // namespace cad
