// The module's frame: the application object, the command table of the six commands, the
// entry points the host calls, and the operating system's attach notification.
#include "frame/dulk_app.h"

#include "commands/commands.h"
#include "frame/arx_app.h"
#include "settings/settings_dialog.h"

namespace {

constexpr int kApiVersion = 0x00170000;

// The handlers the host calls: each runs its command body and drops any result.
void cmd_adim() { Dulk(); }
void cmd_dimadd() { BemAdd(); }
void cmd_dimdel() { BemDel(); }
void cmd_autodim() { AutoBem(); }
void cmd_dimupd() { BemUpd(); }
void cmd_dimdia() { BemDia(); }

constexpr const ACHAR* kGroup = L"VarnholtDulk2010";

const ArxCommandEntry kCommands[] = {
    {kGroup, L"_Adim", L"Dulk", ACRX_CMD_TRANSPARENT, cmd_adim, nullptr, 0},
    {kGroup, L"_DimAdd", L"BemAdd", ACRX_CMD_TRANSPARENT, cmd_dimadd, nullptr, 0},
    {kGroup, L"_DimDel", L"BemDel", ACRX_CMD_TRANSPARENT, cmd_dimdel, nullptr, 0},
    {kGroup, L"_AutoDim", L"AutoBem", ACRX_CMD_TRANSPARENT, cmd_autodim, nullptr, 0},
    {kGroup, L"_DimUpd", L"BemUpd", ACRX_CMD_TRANSPARENT, cmd_dimupd, nullptr, 0},
    {kGroup, L"_DimDia", L"BemDia", ACRX_CMD_TRANSPARENT, cmd_dimdia, nullptr, 0},
};

class CDulk2010App : public AcRxArxApp {
 public:
  CDulk2010App() : AcRxArxApp(kCommands, sizeof(kCommands) / sizeof(kCommands[0])) {}
  void RegisterServerComponents() override {}
};

CDulk2010App app;

// The data manager registers with the host's document manager when it is made. The host has
// no document manager while a process runs the static constructors of the modules it links
// or loads, so the manager is made when the host first talks to the module (the attach
// notification or the initialisation message) and dropped when the module goes (the unload
// message or the detach notification), never by a static constructor or destructor.
// A plain pointer: an owner with a destructor would call the host while the process ends.
AcApDataManager<CDocData>* doc_data = nullptr;

void attach_doc_data() {
  if (doc_data == nullptr) doc_data = new AcApDataManager<CDocData>();
}

void detach_doc_data() {
  delete doc_data;
  doc_data = nullptr;
}

}  // namespace

const AcApDataManager<CDocData>* doc_data_manager() { return doc_data; }

extern "C" AcRx::AppRetCode acrxEntryPoint(int32_t msg, void* pkt) {
  if (msg == AcRx::kInitAppMsg) attach_doc_data();
  const AcRx::AppRetCode result = app.dispatch(msg, pkt);
  if (msg == AcRx::kUnloadAppMsg) detach_doc_data();
  return result;
}

extern "C" int acrxGetApiVersion() { return kApiVersion; }

extern "C" int DllMain(HINSTANCE instance, unsigned long reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    dll_instance = instance;
    attach_doc_data();
  } else if (reason == DLL_PROCESS_DETACH) {
    detach_doc_data();
  }
  return 1;
}
