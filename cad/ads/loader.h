// Loading modules the way the real host does: a shared object exporting acrxEntryPoint and
// acrxGetApiVersion is opened, its interface version checked, told of process attach (DllMain)
// and sent the initialisation message; unloading sends the unload message and detach first.
#pragma once

#include <string>
#include <vector>

#include "host/arx.h"

namespace cad {

class Host;

// The interface version this host offers; a module built for another is refused.
constexpr int kHostApiVersion = 0x00170000;

class ModuleLoader {
 public:
  explicit ModuleLoader(Host& host) : host_(host) {}
  ~ModuleLoader();
  ModuleLoader(const ModuleLoader&) = delete;
  ModuleLoader& operator=(const ModuleLoader&) = delete;

  // False with a message in *error when the file cannot be opened, lacks an entry point, reports
  // another interface version, or is loaded already.
  bool load(const std::string& path, std::string* error);
  bool unload(const std::string& path_or_name, std::string* error);
  void unload_all();
  // Sends an application message to every loaded module (in load order); returns the last
  // module's answer.
  AcRx::AppRetCode send(AcRx::AppMsgCode message, void* packet);
  std::vector<std::string> loaded() const;

 private:
  using EntryPoint = AcRx::AppRetCode (*)(AcRx::AppMsgCode, void*);
  struct Module {
    std::string path;
    void* handle;
    EntryPoint entry;
  };
  void detach(Module& module);

  Host& host_;
  std::vector<Module> modules_;
};

}  // namespace cad
