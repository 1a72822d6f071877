// The few C++ classes of the host's object interface that the module uses: the system registry
// with the command stack and the dynamic linker, the working database with its symbol tables,
// object ids and handles, and the document manager. Only what the module calls is declared.
#pragma once

#include <cstdint>

#include "adsdef.h"

namespace Acad {
enum ErrorStatus {
  eOk = 0,
  eNotImplementedYet = 1,
  eInvalidInput = 5,
  eOutOfMemory = 6,
  eKeyNotFound = 7,
  eDuplicateKey = 8,
  eNullObjectId = 28,
  eWasErased = 37,
  eNotOpenForWrite = 47,
  eInvalidAdsName = 148,
};
}

namespace AcDb {
enum OpenMode { kForRead = 0, kForWrite = 1, kForNotify = 2 };
}

namespace AcRx {
enum AppMsgCode {
  kNullMsg = 0,
  kInitAppMsg = 1,
  kUnloadAppMsg = 2,
  kLoadDwgMsg = 3,
  kUnloadDwgMsg = 4,
  kInvkSubrMsg = 5,
  kCfgMsg = 6,
  kEndMsg = 7,
  kQuitMsg = 8,
  kSaveMsg = 9,
  kDependencyMsg = 10,
  kNoDependencyMsg = 11,
  kOleUnloadAppMsg = 12,
  kPreQuitMsg = 13,
  kInitDialogMsg = 14,
  kEndDialogMsg = 15,
};
enum AppRetCode { kRetOK = 0, kRetError = 3 };
}  // namespace AcRx

typedef void* HINSTANCE;
typedef void (*AcRxFunctionPtr)();

// Root of the registry's objects. The host's objects say what they are through kind(), so the
// module can check them without relying on RTTI across the module boundary.
class AcRxObject {
 public:
  virtual ~AcRxObject() = default;
  virtual int rx_kind() const { return 0; }
};

class AcRxDictionary : public AcRxObject {
 public:
  virtual AcRxObject* at(const ACHAR* key) const = 0;
};

AcRxDictionary* acrxSysRegistry();

class AcRxResourceInstance {
 public:
  AcRxResourceInstance() = default;
  explicit AcRxResourceInstance(HINSTANCE module) : module_(module) {}
  HINSTANCE module() const { return module_; }

 private:
  HINSTANCE module_ = nullptr;
};

class AcEdUIContext;
class AcEdCommand;

class AcEdCommandStack : public AcRxObject {
 public:
  static constexpr int kKind = 1;
  static AcEdCommandStack* cast(AcRxObject* obj) {
    return obj && obj->rx_kind() == kKind ? static_cast<AcEdCommandStack*>(obj) : nullptr;
  }
  int rx_kind() const override { return kKind; }
  virtual Acad::ErrorStatus addCommand(
      const ACHAR* group_name, const ACHAR* global_name, const ACHAR* local_name, int32_t flags,
      AcRxFunctionPtr handler, AcEdUIContext* ui_context = nullptr, int fcode = -1,
      const AcRxResourceInstance& resource = AcRxResourceInstance(),
      AcEdCommand** command_out = nullptr) = 0;
  virtual Acad::ErrorStatus removeCmd(const ACHAR* group_name, const ACHAR* global_name) = 0;
  virtual Acad::ErrorStatus removeGroup(const ACHAR* group_name) = 0;
};

class AcRxDynamicLinker : public AcRxObject {
 public:
  static constexpr int kKind = 2;
  static AcRxDynamicLinker* cast(AcRxObject* obj) {
    return obj && obj->rx_kind() == kKind ? static_cast<AcRxDynamicLinker*>(obj) : nullptr;
  }
  int rx_kind() const override { return kKind; }
  virtual bool unlockApplication(void* app_id) const = 0;
  virtual bool registerAppMDIAware(void* app_id) const = 0;
};

// Command flags.
#define ACRX_CMD_MODAL 0x00000000
#define ACRX_CMD_TRANSPARENT 0x00000001
#define ACRX_CMD_USEPICKSET 0x00000002
#define ACRX_CMD_REDRAW 0x00000004
#define ACRX_CMD_NOINTERNALLOCK 0x00200000

class AcDbHandle {
 public:
  AcDbHandle() = default;
  explicit AcDbHandle(uint64_t value) : value_(value) {}
  bool isNull() const { return value_ == 0; }
  uint64_t value() const { return value_; }
  // Writes the handle as upper-case hexadecimal text; false when the buffer is too short (the
  // buffer then holds as many leading digits as fit, terminated).
  bool getIntoAsciiBuffer(ACHAR* buffer, size_t buffer_length) const;

 private:
  uint64_t value_ = 0;
};

class AcDbObjectId {
 public:
  AcDbObjectId() = default;
  bool isNull() const { return handle_.isNull(); }
  AcDbHandle handle() const { return handle_; }
  void set_handle(AcDbHandle handle) { handle_ = handle; }

 private:
  AcDbHandle handle_;
};

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name);

class AcDbObject {
 public:
  virtual ~AcDbObject() = default;
  Acad::ErrorStatus close();
};

class AcDbSymbolTable : public AcDbObject {
 public:
  Acad::ErrorStatus getIdAt(const ACHAR* name, AcDbObjectId& id, bool get_erased = false) const;
  const ACHAR* table_name() const { return table_name_; }

 protected:
  explicit AcDbSymbolTable(const ACHAR* table_name) : table_name_(table_name) {}

 private:
  const ACHAR* table_name_;
};

class AcDbDimStyleTable : public AcDbSymbolTable {
 public:
  AcDbDimStyleTable() : AcDbSymbolTable(L"DIMSTYLE") {}
};
class AcDbLayerTable : public AcDbSymbolTable {
 public:
  AcDbLayerTable() : AcDbSymbolTable(L"LAYER") {}
};
class AcDbBlockTable : public AcDbSymbolTable {
 public:
  AcDbBlockTable() : AcDbSymbolTable(L"BLOCK_RECORD") {}
};

class AcDbDatabase {
 public:
  // Opens a symbol table of this database; the caller closes it with close(), which frees it.
  Acad::ErrorStatus getSymbolTable(AcDbDimStyleTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& table, AcDb::OpenMode mode);
};

class AcDbHostApplicationServices {
 public:
  AcDbDatabase* workingDatabase() const;
};

AcDbHostApplicationServices* acdbHostApplicationServices();

const ACHAR* acadErrorStatusText(Acad::ErrorStatus status);

// Documents.
class AcApDocument;

class AcApDocManagerReactor {
 public:
  virtual ~AcApDocManagerReactor() = default;
  virtual void documentCreated(AcApDocument*) {}
  virtual void documentToBeDestroyed(AcApDocument*) {}
  virtual void documentActivated(AcApDocument*) {}
};

class AcApDocManager {
 public:
  void addReactor(AcApDocManagerReactor* reactor);
  void removeReactor(AcApDocManagerReactor* reactor);
  AcApDocument* curDocument() const;
};

// The host's document manager; null while the host has none (before start-up, after shutdown).
AcApDocManager* acDocManagerPtr();

// Application functions (LISP-callable functions) of the running module.
extern "C" int acedGetFunCode(void);
extern "C" int acedDefun(const ACHAR* name, int fcode);
extern "C" int acedUndef(const ACHAR* name, int fcode);
extern "C" int acedRegFunc(int (*fhdl)(void), int fcode);
