// The stand-in's version of the real SDK's dbxEntryPoint.h: the root of a module's application
// classes, which receives the host's application messages, and the entry point that hands them
// to the module's one application object. The SDK's own header takes this one's place on the
// real host; a module written against it needs no change there.
#pragma once

#include <cstddef>

#include "adsdef.h"
#include "arx.h"
#include "platform.h"

// The module's instance handle, recorded by the module's DllMain at process attach; defined by
// IMPLEMENT_ARX_ENTRYPOINT.
extern HINSTANCE _hdllInstance;

// One handler per application message, slots 0 to 15 in the order the messages are numbered
// (the null message last), and the module's server registration as slot 16.
class AcRxDbxApp {
 protected:
  HINSTANCE m_hdllInstance;
  bool m_bUnlocked;
  bool m_bMDIAware;

 public:
  AcRxDbxApp() : m_hdllInstance(NULL), m_bUnlocked(true), m_bMDIAware(true) {}
  virtual ~AcRxDbxApp() = default;
  AcRxDbxApp(const AcRxDbxApp&) = delete;
  AcRxDbxApp& operator=(const AcRxDbxApp&) = delete;

  // The module instance from the operating system's attach; the application unlocked (so that
  // it can be unloaded on request) and registered as able to work with several documents, each
  // where the application asks for it; then the server registration. The module defines no
  // custom object classes, so there is no class to initialise and no class hierarchy to
  // rebuild. A registry without a dynamic linker skips its requests.
  virtual AcRx::AppRetCode On_kInitAppMsg(void* pkt) {
    m_hdllInstance = _hdllInstance;
    if (m_bUnlocked) {
      if (AcRxDynamicLinker* linker = acrxDynamicLinker) linker->unlockApplication(pkt);
    }
    if (m_bMDIAware) {
      if (AcRxDynamicLinker* linker = acrxDynamicLinker) linker->registerAppMDIAware(pkt);
    }
    RegisterServerComponents();
    return AcRx::kRetOK;
  }
  virtual AcRx::AppRetCode On_kUnloadAppMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kLoadDwgMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kUnloadDwgMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kInvkSubrMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kCfgMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kEndMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kQuitMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kSaveMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kDependencyMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kNoDependencyMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kOleUnloadAppMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kPreQuitMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kInitDialogMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kEndDialogMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kNullMsg(void* pkt) { return AcRx::kRetOK; }

  // Codes 1 to 15 go to slot code - 1, code 0 to slot 15; the host's other messages are
  // answered kRetOK without a call.
  AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt) {
    switch (msg) {
      case AcRx::kInitAppMsg:
        return On_kInitAppMsg(pkt);
      case AcRx::kUnloadAppMsg:
        return On_kUnloadAppMsg(pkt);
      case AcRx::kLoadDwgMsg:
        return On_kLoadDwgMsg(pkt);
      case AcRx::kUnloadDwgMsg:
        return On_kUnloadDwgMsg(pkt);
      case AcRx::kInvkSubrMsg:
        return On_kInvkSubrMsg(pkt);
      case AcRx::kCfgMsg:
        return On_kCfgMsg(pkt);
      case AcRx::kEndMsg:
        return On_kEndMsg(pkt);
      case AcRx::kQuitMsg:
        return On_kQuitMsg(pkt);
      case AcRx::kSaveMsg:
        return On_kSaveMsg(pkt);
      case AcRx::kDependencyMsg:
        return On_kDependencyMsg(pkt);
      case AcRx::kNoDependencyMsg:
        return On_kNoDependencyMsg(pkt);
      case AcRx::kOleUnloadAppMsg:
        return On_kOleUnloadAppMsg(pkt);
      case AcRx::kPreQuitMsg:
        return On_kPreQuitMsg(pkt);
      case AcRx::kInitDialogMsg:
        return On_kInitDialogMsg(pkt);
      case AcRx::kEndDialogMsg:
        return On_kEndDialogMsg(pkt);
      case AcRx::kNullMsg:
        return On_kNullMsg(pkt);
      default:
        return AcRx::kRetOK;
    }
  }

  virtual void RegisterServerComponents() = 0;
  HINSTANCE& GetModuleInstance() { return m_hdllInstance; }
};

// The module's application object.
AcRxDbxApp* acrxGetApp();

// Stand-in only: the interface version the module answers the host with. On the real host the
// SDK's own code answers it, and the module defines none.
#define DULK_ARX_API_VERSION 0x00170000

// Stand-in only: the module's command map (arxEntryPoint.h), defined with the entry point.
struct ArxCommandMap;
ArxCommandMap& arx_command_map();

// The module's one application object, its instance handle and the entry points the host finds
// by name: acrxEntryPoint hands each message to the application object, acrxGetApiVersion tells
// for which interface version the module was built.
#define IMPLEMENT_ARX_ENTRYPOINT(classname)                                     \
  HINSTANCE _hdllInstance = NULL;                                               \
  class classname entryPointObject;                                             \
  AcRxDbxApp* acrxGetApp() { return &entryPointObject; }                        \
  extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt) { \
    return entryPointObject.acrxEntryPoint(msg, pkt);                           \
  }                                                                             \
  extern "C" int acrxGetApiVersion() { return DULK_ARX_API_VERSION; }           \
  ArxCommandMap& arx_command_map() {                                            \
    static ArxCommandMap map;                                                   \
    return map;                                                                 \
  }
