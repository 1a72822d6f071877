// The application base classes: message dispatch, unlocking and MDI registration through the
// dynamic linker, and registration of the command table with the host's command stack.
#include "frame/arx_app.h"

HINSTANCE dll_instance = nullptr;

namespace {

using Slot = AcRx::AppRetCode (AcRxDbxApp::*)(void*);

// Slot i handles message code i + 1; the null message comes last.
constexpr Slot kSlots[] = {
    &AcRxDbxApp::On_kInitAppMsg,      &AcRxDbxApp::On_kUnloadAppMsg,
    &AcRxDbxApp::On_kLoadDwgMsg,      &AcRxDbxApp::On_kUnloadDwgMsg,
    &AcRxDbxApp::On_kInvkSubrMsg,     &AcRxDbxApp::On_kCfgMsg,
    &AcRxDbxApp::On_kEndMsg,          &AcRxDbxApp::On_kQuitMsg,
    &AcRxDbxApp::On_kSaveMsg,         &AcRxDbxApp::On_kDependencyMsg,
    &AcRxDbxApp::On_kNoDependencyMsg, &AcRxDbxApp::On_kOleUnloadAppMsg,
    &AcRxDbxApp::On_kPreQuitMsg,      &AcRxDbxApp::On_kInitDialogMsg,
    &AcRxDbxApp::On_kEndDialogMsg,    &AcRxDbxApp::On_kNullMsg,
};
constexpr int32_t kSlotCount = sizeof(kSlots) / sizeof(kSlots[0]);

// Resource-less commands carry this flag; they get no resource instance.
constexpr int32_t kNoResourceFlag = 0x200000;
constexpr int kLocalNameLength = 132;

AcRxObject* registry_entry(const ACHAR* key) {
  AcRxDictionary* registry = acrxSysRegistry();
  return registry != nullptr ? registry->at(key) : nullptr;
}

AcRxDynamicLinker* dynamic_linker() {
  return AcRxDynamicLinker::cast(registry_entry(L"DynamicLinker"));
}

AcEdCommandStack* command_stack() {
  return AcEdCommandStack::cast(registry_entry(L"ACAD_REGISTERED_COMMANDS"));
}

}  // namespace

AcRx::AppRetCode AcRxDbxApp::dispatch(int32_t msg, void* pkt) {
  if (msg < 0 || msg >= kSlotCount) return AcRx::kRetOK;
  const int32_t slot = msg == 0 ? kSlotCount - 1 : msg - 1;
  return (this->*kSlots[slot])(pkt);
}

AcRx::AppRetCode AcRxDbxApp::On_kInitAppMsg(void* pkt) {
  module_instance = dll_instance;
  // The linker is looked up for each request: a missing or foreign object skips that request.
  if (unlocked) {
    if (AcRxDynamicLinker* linker = dynamic_linker()) linker->unlockApplication(pkt);
  }
  if (mdi_aware) {
    if (AcRxDynamicLinker* linker = dynamic_linker()) linker->registerAppMDIAware(pkt);
  }
  RegisterServerComponents();
  // The module defines no custom object classes, so there is no class to initialise and the
  // class hierarchy needs no rebuild.
  return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxDbxApp::On_kUnloadAppMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kLoadDwgMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kUnloadDwgMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kInvkSubrMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kCfgMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kEndMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kQuitMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kSaveMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kDependencyMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kNoDependencyMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kOleUnloadAppMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kPreQuitMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kInitDialogMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kEndDialogMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kNullMsg(void*) { return AcRx::kRetOK; }

AcRx::AppRetCode AcRxArxApp::On_kInitAppMsg(void* pkt) {
  const AcRx::AppRetCode result = AcRxDbxApp::On_kInitAppMsg(pkt);
  register_commands();
  return result;
}

AcRx::AppRetCode AcRxArxApp::On_kUnloadAppMsg(void* pkt) {
  const AcRx::AppRetCode result = AcRxDbxApp::On_kUnloadAppMsg(pkt);
  remove_commands();
  return result;
}

AcRx::AppRetCode AcRxArxApp::On_kInvkSubrMsg(void* pkt) {
  const AcRx::AppRetCode result = AcRxDbxApp::On_kInvkSubrMsg(pkt);
  // The host asks for one of the module's LISP functions by code; the module has none, so the
  // code matches nothing.
  acedGetFunCode();
  return result;
}

void AcRxArxApp::register_commands() {
  for (int i = 0; i < command_count_; ++i) {
    const ArxCommandEntry& entry = commands_[i];
    if (entry.global_name == nullptr) continue;
    ACHAR loaded_name[kLocalNameLength] = {};
    const ACHAR* local_name = entry.local_name;
    if (local_name == nullptr) {
      LoadStringW(module_instance, entry.local_name_id, loaded_name, kLocalNameLength);
      local_name = loaded_name;
    }
    const AcRxResourceInstance resource = (entry.flags & kNoResourceFlag) != 0
                                              ? AcRxResourceInstance()
                                              : AcRxResourceInstance(module_instance);
    if (AcEdCommandStack* stack = command_stack()) {
      stack->addCommand(entry.group_name, entry.global_name, local_name, entry.flags, entry.handler,
                        entry.ui_context, -1, resource, nullptr);
    }
  }
}

void AcRxArxApp::remove_commands() {
  for (int i = 0; i < command_count_; ++i) {
    const ArxCommandEntry& entry = commands_[i];
    if (entry.global_name == nullptr) continue;
    if (AcEdCommandStack* stack = command_stack()) {
      stack->removeCmd(entry.group_name, entry.global_name);
    }
  }
}
