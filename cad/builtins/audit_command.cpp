// AUDIT: lists what is invalid in the drawing (cad/dxf/audit.h) and, when told to, mends it as
// one undo step.
#include <string>

#include "cad/builtins/command_support.h"
#include "cad/builtins/commands.h"
#include "cad/dxf/audit.h"

namespace cad {

void audit_command(Host& host) {
  host.prompter().init_get(0, "Yes No _Yes No");
  const Answer fix =
      checked(host.prompter().get_kword("\nFix any errors detected? [Yes/No] <N>: "));
  const AuditResult audit = audit_drawing(host.db(), fix.status == kRtNorm && fix.text == "Yes");
  for (const std::string& fault : audit.faults) say(host, "\n" + fault);
  say(host, "\nTotal errors found " + std::to_string(audit.faults.size()) + " fixed " +
                std::to_string(audit.fixed));
}

}  // namespace cad
