// A small module of its own for the host's loader, written against host/ as DulkArx.arx is: one
// command named from its string resources, one session command, and its own command map beside
// any other module's.
#include "host/arxHeaders.h"

extern "C" const ArxStringResource arx_string_resources[] = {{7, L"Zeichnen"}, {0, nullptr}};

namespace {
int draws = 0;
}  // namespace

class CProbeApp : public AcRxArxApp {
 public:
  void RegisterServerComponents() override {}

  static void ProbeGroup_Draw() { acutPrintf(L"\ngezeichnet %d", ++draws); }
  static void ProbeGroup_Count() { acutPrintf(L"\ngezaehlt %d", draws); }
};

IMPLEMENT_ARX_ENTRYPOINT(CProbeApp)

ACED_ARXCOMMAND_ENTRYBYID_AUTO(CProbeApp, ProbeGroup, _Draw, 7, ACRX_CMD_MODAL, NULL)
ACED_ARXCOMMAND_ENTRY_AUTO(CProbeApp, ProbeGroup, _Count, Zaehlen, ACRX_CMD_SESSION, NULL)

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) {
  if (dwReason == DLL_PROCESS_ATTACH) _hdllInstance = hInstance;
  return TRUE;
}
