// The module side of the host's application frame: the application base classes that receive
// the host's application messages (AcRxDbxApp, AcRxArxApp), the command table entry they
// register from, and the module instance handle the operating system hands the module.
#pragma once

#include <cstdint>

#include "host/arxHeaders.h"

// Set when the operating system attaches the module (DllMain); read at initialisation.
extern HINSTANCE dll_instance;

// One command of the module's command table. An entry without a global name is an empty slot.
struct ArxCommandEntry {
  const ACHAR* group_name;
  const ACHAR* global_name;
  // Null: the name is loaded from the module's string resources by local_name_id.
  const ACHAR* local_name;
  int32_t flags;
  AcRxFunctionPtr handler;
  AcEdUIContext* ui_context;
  uint32_t local_name_id;
};

// Root of the application classes: one handler per application message, slots 0 to 15 in the
// order acrxEntryPoint dispatches them, and the server registration as slot 16.
class AcRxDbxApp {
 public:
  AcRxDbxApp() = default;
  virtual ~AcRxDbxApp() = default;
  AcRxDbxApp(const AcRxDbxApp&) = delete;
  AcRxDbxApp& operator=(const AcRxDbxApp&) = delete;

  virtual AcRx::AppRetCode On_kInitAppMsg(void* pkt);
  virtual AcRx::AppRetCode On_kUnloadAppMsg(void* pkt);
  virtual AcRx::AppRetCode On_kLoadDwgMsg(void* pkt);
  virtual AcRx::AppRetCode On_kUnloadDwgMsg(void* pkt);
  virtual AcRx::AppRetCode On_kInvkSubrMsg(void* pkt);
  virtual AcRx::AppRetCode On_kCfgMsg(void* pkt);
  virtual AcRx::AppRetCode On_kEndMsg(void* pkt);
  virtual AcRx::AppRetCode On_kQuitMsg(void* pkt);
  virtual AcRx::AppRetCode On_kSaveMsg(void* pkt);
  virtual AcRx::AppRetCode On_kDependencyMsg(void* pkt);
  virtual AcRx::AppRetCode On_kNoDependencyMsg(void* pkt);
  virtual AcRx::AppRetCode On_kOleUnloadAppMsg(void* pkt);
  virtual AcRx::AppRetCode On_kPreQuitMsg(void* pkt);
  virtual AcRx::AppRetCode On_kInitDialogMsg(void* pkt);
  virtual AcRx::AppRetCode On_kEndDialogMsg(void* pkt);
  virtual AcRx::AppRetCode On_kNullMsg(void* pkt);
  virtual void RegisterServerComponents() = 0;

  // Calls the handler of message code msg: codes 1 to 15 select slot msg - 1, code 0 slot 15;
  // any other code is answered kRetOK without a call.
  AcRx::AppRetCode dispatch(int32_t msg, void* pkt);

 protected:
  HINSTANCE module_instance = nullptr;
  bool unlocked = true;
  bool mdi_aware = true;
};

// Adds the command table to the root: registers its commands at initialisation and removes them
// at unload. The module has no functions callable from LISP, so the drawing messages keep the
// root's answer: there is nothing to define or remove.
class AcRxArxApp : public AcRxDbxApp {
 public:
  AcRxArxApp(const ArxCommandEntry* commands, int command_count)
      : commands_(commands), command_count_(command_count) {}

  AcRx::AppRetCode On_kInitAppMsg(void* pkt) override;
  AcRx::AppRetCode On_kUnloadAppMsg(void* pkt) override;
  AcRx::AppRetCode On_kInvkSubrMsg(void* pkt) override;

 private:
  void register_commands();
  void remove_commands();

  const ArxCommandEntry* commands_;
  int command_count_;
};
