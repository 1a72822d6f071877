// The module's frame: the application object, the command map, the entry points and the
// operating system's attach notification.
#include "frame/dulk_app.h"

#include "commands/commands.h"
#include "settings/settings_dialog.h"

// The application object. The classes it derives from come with the host's interface and do the
// work of every application message; the module adds its commands and nothing to register as a
// server.
class CDulk2010App : public AcRxArxApp {
 public:
  CDulk2010App() : AcRxArxApp() {}

  AcRx::AppRetCode On_kInitAppMsg(void* pkt) override { return AcRxArxApp::On_kInitAppMsg(pkt); }
  AcRx::AppRetCode On_kUnloadAppMsg(void* pkt) override {
    return AcRxArxApp::On_kUnloadAppMsg(pkt);
  }
  void RegisterServerComponents() override {}

  // The command handlers: each runs its command body and drops any result.
  static void VarnholtDulk2010_Adim() { Dulk(); }
  static void VarnholtDulk2010_DimAdd() { BemAdd(); }
  static void VarnholtDulk2010_DimDel() { BemDel(); }
  static void VarnholtDulk2010_AutoDim() { AutoBem(); }
  static void VarnholtDulk2010_DimUpd() { BemUpd(); }
  static void VarnholtDulk2010_DimDia() { BemDia(); }
};

IMPLEMENT_ARX_ENTRYPOINT(CDulk2010App)

// The command map, in the order the commands are registered.
ACED_ARXCOMMAND_ENTRY_AUTO(CDulk2010App, VarnholtDulk2010, _Adim, Dulk, ACRX_CMD_TRANSPARENT, NULL)
ACED_ARXCOMMAND_ENTRY_AUTO(CDulk2010App, VarnholtDulk2010, _DimAdd, BemAdd, ACRX_CMD_TRANSPARENT,
                           NULL)
ACED_ARXCOMMAND_ENTRY_AUTO(CDulk2010App, VarnholtDulk2010, _DimDel, BemDel, ACRX_CMD_TRANSPARENT,
                           NULL)
ACED_ARXCOMMAND_ENTRY_AUTO(CDulk2010App, VarnholtDulk2010, _AutoDim, AutoBem, ACRX_CMD_TRANSPARENT,
                           NULL)
ACED_ARXCOMMAND_ENTRY_AUTO(CDulk2010App, VarnholtDulk2010, _DimUpd, BemUpd, ACRX_CMD_TRANSPARENT,
                           NULL)
ACED_ARXCOMMAND_ENTRY_AUTO(CDulk2010App, VarnholtDulk2010, _DimDia, BemDia, ACRX_CMD_TRANSPARENT,
                           NULL)

AcApDataManager<CDocData> DocVars;

// The operating system's notifications: the attach records the module's instance handle, which
// the application object takes at initialisation. Every notification succeeds.
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) {
  if (dwReason == DLL_PROCESS_ATTACH) _hdllInstance = hInstance;
  return TRUE;
}
