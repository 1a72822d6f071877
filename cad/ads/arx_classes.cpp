// The host's object interface (host/arx.h): the system registry with the command stack and the
// dynamic linker, the working database's symbol tables, object ids and handles, the document
// manager, and application functions. All of it acts on the current host.
#include <dlfcn.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include "cad/ads/host.h"
#include "cad/base/utf8.h"
#include "host/acedads.h"
#include "host/adscodes.h"
#include "host/arx.h"

namespace {

using cad::current_host;
using cad::to_utf8;

// The file name of the module a command's body lives in, for HELP.
std::string origin_of(AcRxFunctionPtr handler) {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(handler), &info) == 0 || !info.dli_fname) return {};
  return std::filesystem::path(info.dli_fname).filename().string();
}

class HostCommandStack : public AcEdCommandStack {
 public:
  Acad::ErrorStatus addCommand(const ACHAR* group_name, const ACHAR* global_name,
                               const ACHAR* local_name, Adesk::Int32 flags, AcRxFunctionPtr handler,
                               AcEdUIContext*, int, const AcRxResourceInstance&,
                               AcEdCommand**) override {
    cad::Host* host = current_host();
    if (!host || !global_name || !handler) return Acad::eInvalidInput;
    cad::CommandDef def;
    def.group = to_utf8(group_name);
    def.global_name = to_utf8(global_name);
    // Global names are written with the "_" that marks them; the stack keeps them without it.
    if (!def.global_name.empty() && def.global_name.front() == '_') def.global_name.erase(0, 1);
    def.local_name = local_name ? to_utf8(local_name) : def.global_name;
    def.flags = flags;
    def.body = handler;
    def.origin = origin_of(handler);
    return host->commands().add(std::move(def)) ? Acad::eOk : Acad::eDuplicateKey;
  }
  Acad::ErrorStatus removeCmd(const ACHAR* group_name, const ACHAR* global_name) override {
    cad::Host* host = current_host();
    if (!host || !group_name || !global_name) return Acad::eInvalidInput;
    std::string name = to_utf8(global_name);
    if (!name.empty() && name.front() == '_') name.erase(0, 1);
    return host->commands().remove(to_utf8(group_name), name) ? Acad::eOk : Acad::eKeyNotFound;
  }
  Acad::ErrorStatus removeGroup(const ACHAR* group_name) override {
    cad::Host* host = current_host();
    if (!host || !group_name) return Acad::eInvalidInput;
    return host->commands().remove_group(to_utf8(group_name)) > 0 ? Acad::eOk : Acad::eKeyNotFound;
  }
};

// The headless host has nothing to lock and handles every drawing alike, so both requests
// succeed.
class HostLinker : public AcRxDynamicLinker {
 public:
  bool unlockApplication(void*) const override { return true; }
  bool registerAppMDIAware(void*) const override { return true; }
};

class HostRegistry : public AcRxDictionary {
 public:
  AcRxObject* at(const ACHAR* key) const override {
    if (!key) return nullptr;
    if (std::wcscmp(key, L"ACAD_REGISTERED_COMMANDS") == 0) return &commands_;
    if (std::wcscmp(key, L"DynamicLinker") == 0) return &linker_;
    return nullptr;
  }

 private:
  mutable HostCommandStack commands_;
  mutable HostLinker linker_;
};

cad::RecordId record_of(const ads_name name) {
  cad::Host* host = current_host();
  if (!host || !name || name[0] <= 0 || name[1] != host->db().serial()) return cad::kNoRecord;
  auto id = static_cast<cad::RecordId>(name[0] - 1);
  return host->db().valid(id) ? id : cad::kNoRecord;
}

// The document manager of the whole process, as the real host's lives as long as the host runs:
// modules register their reactors with it while their static objects are made, before any host
// exists, and remove them while the process ends. Its documents are the drawings of the current
// host. It is never destroyed, so that no module's reactor outlives it.
class HostDocManager : public AcApDocManager {
 public:
  AcApDocument* curDocument() const override {
    cad::Host* host = current_host();
    return host ? reinterpret_cast<AcApDocument*>(&host->db()) : nullptr;
  }
  void addReactor(AcApDocManagerReactor* reactor) override {
    if (reactor && std::find(reactors_.begin(), reactors_.end(), reactor) == reactors_.end())
      reactors_.push_back(reactor);
  }
  void removeReactor(AcApDocManagerReactor* reactor) override {
    reactors_.erase(std::remove(reactors_.begin(), reactors_.end(), reactor), reactors_.end());
  }
  const std::vector<AcApDocManagerReactor*>& reactors() const { return reactors_; }

 private:
  std::vector<AcApDocManagerReactor*> reactors_;
};

HostDocManager& doc_manager() {
  static HostDocManager* manager = new HostDocManager();
  return *manager;
}

}  // namespace

const AcRxResourceInstance& AcRxResourceInstance::empty() {
  static const AcRxResourceInstance none(nullptr);
  return none;
}

AcRxDictionary* acrxSysRegistry() {
  static HostRegistry registry;
  return &registry;
}

bool AcDbHandle::getIntoAsciiBuffer(ACHAR* buffer, size_t buffer_length) const {
  if (!buffer || buffer_length == 0) return false;
  std::string text = cad::handle_text(value_);
  size_t n = std::min(text.size(), buffer_length - 1);
  for (size_t k = 0; k < n; ++k) buffer[k] = static_cast<ACHAR>(text[k]);
  buffer[n] = L'\0';
  return n == text.size();
}

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name) {
  cad::RecordId rec = record_of(name);
  if (rec == cad::kNoRecord) return Acad::eInvalidAdsName;
  id.setFromOldId(static_cast<Adesk::IntDbId>(current_host()->db().record(rec).handle()));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::close() {
  // Objects handed out by this host are copies made for the caller; closing ends them.
  delete this;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::getIdAt(const ACHAR* name, AcDbObjectId& id, bool) const {
  cad::Host* host = current_host();
  if (!host || !name) return Acad::eInvalidInput;
  cad::RecordId rec = host->db().table_entry(to_utf8(table_name_), to_utf8(name));
  if (rec == cad::kNoRecord) return Acad::eKeyNotFound;
  id.setFromOldId(static_cast<Adesk::IntDbId>(host->db().record(rec).handle()));
  return Acad::eOk;
}

namespace {
template <typename TableT>
Acad::ErrorStatus open_table(TableT*& table) {
  table = nullptr;
  if (!current_host()) return Acad::eNullObjectId;
  if (current_host()->faults().fail(cad::FaultKind::kAllocation, "getSymbolTable"))
    return Acad::eOutOfMemory;
  table = new TableT();
  return Acad::eOk;
}
}  // namespace

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbDimStyleTable*& table, AcDb::OpenMode) {
  return open_table(table);
}
Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbLayerTable*& table, AcDb::OpenMode) {
  return open_table(table);
}
Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbBlockTable*& table, AcDb::OpenMode) {
  return open_table(table);
}

AcDbDatabase* AcDbHostApplicationServices::workingDatabase() const {
  static AcDbDatabase database;
  return current_host() ? &database : nullptr;
}

AcDbHostApplicationServices* acdbHostApplicationServices() {
  static AcDbHostApplicationServices services;
  return &services;
}

const ACHAR* acadErrorStatusText(Acad::ErrorStatus status) {
  switch (status) {
    case Acad::eOk:
      return L"eOk";
    case Acad::eNotImplementedYet:
      return L"eNotImplementedYet";
    case Acad::eInvalidInput:
      return L"eInvalidInput";
    case Acad::eOutOfMemory:
      return L"eOutOfMemory";
    case Acad::eKeyNotFound:
      return L"eKeyNotFound";
    case Acad::eDuplicateKey:
      return L"eDuplicateKey";
    case Acad::eNullObjectId:
      return L"eNullObjectId";
    case Acad::eWasErased:
      return L"eWasErased";
    case Acad::eNotOpenForWrite:
      return L"eNotOpenForWrite";
    case Acad::eInvalidAdsName:
      return L"eInvalidAdsName";
  }
  return L"eUnknown";
}

AcApDocManager* acDocManagerPtr() { return &doc_manager(); }

namespace cad {
// Tells the document reactors that the current drawing is about to go (a new drawing replaces it,
// or the host ends).
void notify_document_destroyed() {
  AcApDocument* doc = doc_manager().curDocument();
  if (!doc) return;
  for (AcApDocManagerReactor* reactor : std::vector(doc_manager().reactors()))
    reactor->documentToBeDestroyed(doc);
}

size_t document_reactor_count() { return doc_manager().reactors().size(); }
}  // namespace cad

// The module defines no functions callable from the host's language, so no function is ever
// being invoked.
int acedGetFunCode(void) { return RTERROR; }
int acedDefun(const ACHAR* name, int fcode) { return name && fcode >= 0 ? RTNORM : RTERROR; }
int acedUndef(const ACHAR* name, int fcode) { return name && fcode >= 0 ? RTNORM : RTERROR; }
int acedRegFunc(int (*fhdl)(void), int fcode) { return fhdl && fcode >= 0 ? RTNORM : RTERROR; }
