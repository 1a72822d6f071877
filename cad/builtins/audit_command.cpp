// AUDIT: lists what is invalid in the drawing (cad/dxf/audit.h) and, when told to, mends it as
// one undo step.
#include <string>

#include "cad/builtins/command_support.h"
#include "cad/builtins/commands.h"
#include "cad/dxf/audit.h"

namespace cad {

namespace {

constexpr Prompt kFix{"Fix any errors detected? [Yes/No] <N>:"};
constexpr Prompt kAuditPrompts[] = {kFix};

void audit_command(Host& host) {
  host.prompter().init_get(0, "Yes No _Yes No");
  const Answer fix = checked(host.prompter().get_kword(shown(kFix)));
  const AuditResult audit = audit_drawing(host.db(), fix.status == kRtNorm && fix.text == "Yes");
  for (const std::string& fault : audit.faults) say(host, "\n" + fault);
  say(host, "\nTotal errors found " + std::to_string(audit.faults.size()) + " fixed " +
                std::to_string(audit.fixed));
}

}  // namespace

const Builtin kAuditCommand{
    "AUDIT", audit_command,
    "Lists references to missing entries and blocks, wrong owners, numbers that are not finite "
    "and chains whose members lie on different lines; mends them when told to (one undo step).",
    kAuditPrompts};

}  // namespace cad
