// The settings dialog command.
#include "settings/settings_dialog.h"

#include "host/arxHeaders.h"

int BemDia() {
  acutPrintf(L"\nBefehl BemDia ist noch nicht verfügbar.");
  acedRetVoid();
  return RTNORM;
}
