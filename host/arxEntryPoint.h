// The stand-in's version of the real SDK's arxEntryPoint.h: the application class that adds a
// module's commands to the host's command stack at initialisation and removes them at unload,
// and the macro that enters a command into the module's command map. The SDK collects the map
// in a section of the module file that its linker fills; the stand-in collects it as the
// module's static objects are made, which keeps the order in which a source file defines its
// entries. The module declares its commands the same way for both.
#pragma once

#include "acedads.h"
#include "adsdef.h"
#include "arx.h"
#include "dbxEntryPoint.h"
#include "platform.h"

// One command of the module's command map.
struct ArxCommandEntry {
  const ACHAR* group_name;
  // The global (language-independent) name, written with its leading "_".
  const ACHAR* global_name;
  // Null: the name is loaded from the module's string resources by local_name_id.
  const ACHAR* local_name;
  Adesk::Int32 flags;
  AcRxFunctionPtr handler;
  AcEdUIContext* ui_context;
  UINT local_name_id;
};

// Stand-in only: a link of the command map, made as a static object beside its entry.
class ArxCommandMapLink {
 public:
  explicit ArxCommandMapLink(const ArxCommandEntry* entry);
  ArxCommandMapLink(const ArxCommandMapLink&) = delete;
  ArxCommandMapLink& operator=(const ArxCommandMapLink&) = delete;

  const ArxCommandEntry* const entry;
  const ArxCommandMapLink* next = nullptr;
};

// Stand-in only: the module's command map, in the order its links were made.
struct ArxCommandMap {
  const ArxCommandMapLink* first = nullptr;
  ArxCommandMapLink* last = nullptr;
};

inline ArxCommandMapLink::ArxCommandMapLink(const ArxCommandEntry* entry) : entry(entry) {
  ArxCommandMap& map = arx_command_map();
  if (map.last != nullptr) {
    map.last->next = this;
  } else {
    map.first = this;
  }
  map.last = this;
}

// Enters the command group/globCmd into the module's command map. Its handler is the static
// member function group##globCmd of classname; its local name is locCmd.
#define ACED_ARXCOMMAND_ENTRY_AUTO(classname, group, globCmd, locCmd, cmdFlags, UIContext) \
  ARX_COMMAND_MAP_ENTRY(classname, group, globCmd, ACRX_T(#locCmd), cmdFlags, UIContext, 0)

// The same with the local name loaded from the module's string resources by locCmdId.
#define ACED_ARXCOMMAND_ENTRYBYID_AUTO(classname, group, globCmd, locCmdId, cmdFlags, UIContext) \
  ARX_COMMAND_MAP_ENTRY(classname, group, globCmd, NULL, cmdFlags, UIContext, locCmdId)

// Stand-in only: an entry of the command map and its link.
#define ARX_COMMAND_MAP_ENTRY(classname, group, globCmd, localName, cmdFlags, UIContext, nameId)   \
  static const ArxCommandEntry arx_command_##group##globCmd = {                                    \
      ACRX_T(#group), ACRX_T(#globCmd), localName, cmdFlags, classname::group##globCmd, UIContext, \
      nameId};                                                                                     \
  static const ArxCommandMapLink arx_command_link_##group##globCmd(&arx_command_##group##globCmd);

// Registers the command map with the host's command stack at initialisation and removes it at
// unload. The module has no functions callable from the host's language, so the drawing
// messages have nothing to define or remove.
class AcRxArxApp : public AcRxDbxApp {
 public:
  AcRxArxApp() : AcRxDbxApp() {}

  // For every entry, in map order: the local name (loaded from the string resources when the
  // entry has none), the resource instance (none for a session command), and the command stack
  // looked up anew; a registry without a command stack skips the entry. The result of
  // addCommand is not examined.
  AcRx::AppRetCode On_kInitAppMsg(void* pkt) override {
    const AcRx::AppRetCode retCode = AcRxDbxApp::On_kInitAppMsg(pkt);
    for (const ArxCommandMapLink* link = arx_command_map().first; link != nullptr;
         link = link->next) {
      const ArxCommandEntry& entry = *link->entry;
      ACHAR buffer[kLocalNameLength] = {};
      if (entry.local_name == NULL) {
        LoadStringW(m_hdllInstance, entry.local_name_id, buffer, kLocalNameLength);
      }
      if (AcEdCommandStack* stack = acedRegCmds) {
        stack->addCommand(entry.group_name, entry.global_name,
                          entry.local_name == NULL ? buffer : entry.local_name, entry.flags,
                          entry.handler, entry.ui_context, -1,
                          (entry.flags & ACRX_CMD_SESSION) ? NULL : m_hdllInstance, NULL);
      }
    }
    return retCode;
  }

  // Every entry removed from the command stack, in map order; the results are not examined.
  AcRx::AppRetCode On_kUnloadAppMsg(void* pkt) override {
    const AcRx::AppRetCode retCode = AcRxDbxApp::On_kUnloadAppMsg(pkt);
    for (const ArxCommandMapLink* link = arx_command_map().first; link != nullptr;
         link = link->next) {
      if (AcEdCommandStack* stack = acedRegCmds) {
        stack->removeCmd(link->entry->group_name, link->entry->global_name);
      }
    }
    return retCode;
  }

  // The host asks which of the module's functions it calls; the module has none, so the code
  // matches nothing.
  AcRx::AppRetCode On_kInvkSubrMsg(void* pkt) override {
    const AcRx::AppRetCode retCode = AcRxDbxApp::On_kInvkSubrMsg(pkt);
    acedGetFunCode();
    return retCode;
  }

 private:
  static constexpr int kLocalNameLength = 132;
};
