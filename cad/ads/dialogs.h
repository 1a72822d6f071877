// The dialogs a host keeps for the C interface (host/adsdlg.h): its loaded DCL files and the
// dialogs it shows. They live beside the host, keyed by it, until the host lets them go.
#pragma once

namespace cad {

class Dialog;
class Host;

// Drops every DCL file and dialog of `host`; the host calls it when it ends, so that a new host
// made at the same address starts without them.
void forget_dialogs(const Host& host);

// ---- testing hooks: for tests only; neither the host nor the module calls them ----

// The dialog of the current host behind an ads_hdlg while it is shown (until ads_start_dialog
// returns), else null: what the C interface does not report, such as the focus and the selected
// text, for tests to look at.
const Dialog* shown_dialog(const void* hdlg);

}  // namespace cad
