#include "cad/ads/loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>

#include "host/arx.h"
#include "host/platform.h"

namespace cad {

namespace {

using ApiVersion = int (*)();
using DllEntry = BOOL (*)(HINSTANCE, DWORD, LPVOID);

// The handle a module's DllMain and string resources know it by.
HINSTANCE instance_of(void* handle) { return reinterpret_cast<HINSTANCE>(handle); }

std::string canonical_or_same(const std::string& path) {
  std::error_code ec;
  auto p = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : p.string();
}

}  // namespace

ModuleLoader::~ModuleLoader() { unload_all(); }

bool ModuleLoader::load(const std::string& path, std::string* error) {
  std::string full = canonical_or_same(path);
  for (const Module& m : modules_) {
    if (m.path == full) {
      *error = "module " + path + " is loaded already";
      return false;
    }
  }
  // RTLD_LOCAL keeps one module's symbols away from another's; the host's own come from the
  // global scope, where libdulkcad.so lies.
  void* handle = dlopen(full.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    *error = "cannot load " + path + ": " + (why ? why : "unknown error");
    return false;
  }
  auto entry = reinterpret_cast<EntryPoint>(dlsym(handle, "acrxEntryPoint"));
  auto version = reinterpret_cast<ApiVersion>(dlsym(handle, "acrxGetApiVersion"));
  if (!entry || !version) {
    dlclose(handle);
    *error = path + " is no module of this host (acrxEntryPoint or acrxGetApiVersion missing)";
    return false;
  }
  if (version() != kHostApiVersion) {
    char buf[96];
    std::snprintf(buf, sizeof buf,
                  " was built for interface version 0x%08X, this host offers 0x%08X",
                  static_cast<unsigned>(version()), static_cast<unsigned>(kHostApiVersion));
    dlclose(handle);
    *error = path + buf;
    return false;
  }
  modules_.push_back(Module{full, handle, entry});
  if (auto dll = reinterpret_cast<DllEntry>(dlsym(handle, "DllMain")))
    dll(instance_of(handle), DLL_PROCESS_ATTACH, nullptr);
  entry(AcRx::kInitAppMsg, handle);
  return true;
}

void ModuleLoader::detach(Module& module) {
  module.entry(AcRx::kUnloadAppMsg, module.handle);
  if (auto dll = reinterpret_cast<DllEntry>(dlsym(module.handle, "DllMain")))
    dll(instance_of(module.handle), DLL_PROCESS_DETACH, nullptr);
  dlclose(module.handle);
}

bool ModuleLoader::unload(const std::string& path_or_name, std::string* error) {
  std::string full = canonical_or_same(path_or_name);
  auto it = std::find_if(modules_.begin(), modules_.end(), [&](const Module& m) {
    return m.path == full || std::filesystem::path(m.path).filename() == path_or_name;
  });
  if (it == modules_.end()) {
    *error = "module " + path_or_name + " is not loaded";
    return false;
  }
  Module module = *it;
  modules_.erase(it);
  detach(module);
  return true;
}

void ModuleLoader::unload_all() {
  while (!modules_.empty()) {
    Module module = modules_.back();
    modules_.pop_back();
    detach(module);
  }
}

AcRx::AppRetCode ModuleLoader::send(AcRx::AppMsgCode message, void* packet) {
  AcRx::AppRetCode result = AcRx::kRetOK;
  for (const Module& m : modules_) result = m.entry(message, packet ? packet : m.handle);
  return result;
}

std::vector<std::string> ModuleLoader::loaded() const {
  std::vector<std::string> out;
  for (const Module& m : modules_) out.push_back(m.path);
  return out;
}

}  // namespace cad

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int max_chars) {
  if (!instance || !buffer || max_chars <= 0) return 0;
  auto table = static_cast<const ArxStringResource*>(
      dlsym(reinterpret_cast<void*>(instance), ARX_STRING_RESOURCES));
  buffer[0] = L'\0';
  for (; table && table->text; ++table) {
    if (table->id != id) continue;
    size_t n = std::min(std::wcslen(table->text), static_cast<size_t>(max_chars - 1));
    std::wmemcpy(buffer, table->text, n);
    buffer[n] = L'\0';
    return static_cast<int>(n);
  }
  return 0;
}
