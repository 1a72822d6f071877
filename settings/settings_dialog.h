// The settings dialog command: edits the module's settings for the current dimension style.
#pragma once

// Command body of BemDia; RTERROR when the dialog cannot be shown.
int BemDia();
