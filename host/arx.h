// The few C++ classes of the host's object interface that the module and the entry-point
// headers use, declared as the real host's SDK declares them (there spread over rxdefs.h,
// rxobject.h, rxdict.h, rxresource.h, accmd.h, rxdlinkr.h, dbmain.h, dbsymtb.h, dbid.h,
// dbhandle.h, dbapserv.h, acestext.h and acdocman.h): the system registry with the command stack
// and the dynamic linker, the working database's symbol tables, object ids and handles, and the
// document manager. Only what is called is declared.
//
// What the stand-in keeps beyond the SDK is marked "Stand-in only" where it is declared.
#pragma once

#include <cstddef>

#include "acadstrc.h"
#include "adesk.h"
#include "adsdef.h"
#include "rxboiler.h"

struct AcRx {
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
    kSuspendMsg = 16,
    kInitTabGroupMsg = 17,
    kEndTabGroupMsg = 18,
  };
  enum AppRetCode { kRetOK = 0, kRetError = 3 };
};

struct AcDb {
  enum OpenMode { kForRead = 0, kForWrite = 1, kForNotify = 2 };
};

// Root of the registry's objects. The SDK tells classes apart through its own class objects
// (isKindOf, desc); the stand-in, which has only the few classes below, tells them apart by
// a number.
class AcRxObject {
 public:
  virtual ~AcRxObject() = default;
  // Stand-in only: which of the classes below the object is, for cast().
  virtual int rx_kind() const { return 0; }
};

class AcRxDictionary : public AcRxObject {
 public:
  virtual AcRxObject* at(const ACHAR* key) const = 0;
};

extern "C" AcRxDictionary* acrxSysRegistry();

// What a module's resources are loaded from: its module handle, or nothing.
class AcRxResourceInstance {
 public:
  AcRxResourceInstance(void* hInst) : module_(hInst) {}
  AcRxResourceInstance(const AcRxResourceInstance& other) = default;
  ~AcRxResourceInstance() = default;
  AcRxResourceInstance(AcRxResourceInstance&&) = default;
  AcRxResourceInstance& operator=(AcRxResourceInstance&&) = default;
  AcRxResourceInstance& operator=(const AcRxResourceInstance& other) = delete;
  bool isLoaded() const noexcept { return module_ != nullptr; }
  static const AcRxResourceInstance& empty();

 private:
  void* module_;
};

typedef void (*AcRxFunctionPtr)();
class AcEdUIContext;
class AcEdCommand;

#define ACRX_COMMAND_DOCK ACRX_T("ACAD_REGISTERED_COMMANDS")
#define ACRX_DYNAMIC_LINKER ACRX_T("DynamicLinker")

class AcEdCommandStack : public AcRxObject {
 public:
  static AcEdCommandStack* cast(const AcRxObject* inPtr) {
    return inPtr != NULL && inPtr->rx_kind() == kKind
               ? static_cast<AcEdCommandStack*>(const_cast<AcRxObject*>(inPtr))
               : NULL;
  }
  virtual Acad::ErrorStatus addCommand(
      const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName, const ACHAR* cmdLocalName,
      Adesk::Int32 commandFlags, AcRxFunctionPtr FunctionAddr, AcEdUIContext* UIContext = NULL,
      int fcode = -1, const AcRxResourceInstance& resourceInstance = AcRxResourceInstance::empty(),
      AcEdCommand** cmdPtrRet = NULL) = 0;
  virtual Acad::ErrorStatus removeCmd(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName) = 0;
  virtual Acad::ErrorStatus removeGroup(const ACHAR* groupName) = 0;

  // Stand-in only.
  static constexpr int kKind = 1;
  int rx_kind() const override { return kKind; }
};

#define acedRegCmds AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK))

class AcRxDynamicLinker : public AcRxObject {
 public:
  static AcRxDynamicLinker* cast(const AcRxObject* inPtr) {
    return inPtr != NULL && inPtr->rx_kind() == kKind
               ? static_cast<AcRxDynamicLinker*>(const_cast<AcRxObject*>(inPtr))
               : NULL;
  }
  virtual bool unlockApplication(void* appId) const = 0;
  virtual bool registerAppMDIAware(void* appId) const = 0;

  // Stand-in only.
  static constexpr int kKind = 2;
  int rx_kind() const override { return kKind; }
};

#define acrxDynamicLinker AcRxDynamicLinker::cast(acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER))

// Command flags.
#define ACRX_CMD_MODAL 0x00000000
#define ACRX_CMD_TRANSPARENT 0x00000001
#define ACRX_CMD_USEPICKSET 0x00000002
#define ACRX_CMD_REDRAW 0x00000004
#define ACRX_CMD_NOINTERNALLOCK 0x00020000
// The handler runs in the application's context, not a document's; such a command gets no
// resource instance.
#define ACRX_CMD_SESSION 0x00200000

class AcDbHandle {
 public:
  AcDbHandle() = default;
  AcDbHandle(Adesk::UInt64 val) : value_(val) {}
  // Writes the handle as upper-case hexadecimal text; false when the buffer is too short (the
  // buffer then holds as many leading digits as fit, terminated).
  bool getIntoAsciiBuffer(ACHAR* pBuf, size_t nBufLen) const;
  bool isNull() const { return value_ == 0; }
  operator Adesk::UInt64() const { return value_; }

 private:
  Adesk::UInt64 value_ = 0;
};

class AcDbObjectId {
 public:
  AcDbObjectId() = default;
  bool isNull() const { return old_id_ == 0; }
  void setNull() { old_id_ = 0; }
  // The stand-in's id is the object's handle.
  Adesk::IntDbId asOldId() const { return old_id_; }
  AcDbObjectId& setFromOldId(Adesk::IntDbId oldId) {
    old_id_ = oldId;
    return *this;
  }
  AcDbHandle handle() const { return AcDbHandle(static_cast<Adesk::UInt64>(old_id_)); }

 private:
  Adesk::IntDbId old_id_ = 0;
};

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName);

class AcDbObject {
 public:
  virtual ~AcDbObject() = default;
  Acad::ErrorStatus close();
};

class AcDbSymbolTable : public AcDbObject {
 public:
  Acad::ErrorStatus getIdAt(const ACHAR* entryName, AcDbObjectId& recordId,
                            bool getErasedRecord = false) const;

 protected:
  // Stand-in only: which table of the drawing the object reads.
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
  // Opens a symbol table of this database; the caller closes it with close().
  Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getSymbolTable(AcDbDimStyleTable*& pTable,
                                   AcDb::OpenMode mode = AcDb::kForRead);
};

class AcDbHostApplicationServices {
 public:
  AcDbDatabase* workingDatabase() const;
};

AcDbHostApplicationServices* acdbHostApplicationServices();

const ACHAR* acadErrorStatusText(Acad::ErrorStatus);

// Documents.
class AcApDocument;

class AcApDocManagerReactor : public AcRxObject {
 public:
  virtual void documentCreated(AcApDocument* pDocCreating) {}
  virtual void documentToBeDestroyed(AcApDocument* pDocToDestroy) {}
  virtual void documentActivated(AcApDocument* pActivatedDoc) {}

 protected:
  AcApDocManagerReactor() = default;
};

class AcApDocManager : public AcRxObject {
 public:
  virtual AcApDocument* curDocument() const = 0;
  virtual void addReactor(AcApDocManagerReactor*) = 0;
  virtual void removeReactor(AcApDocManagerReactor*) = 0;
};

// The host's document manager, there for as long as the host runs.
AcApDocManager* acDocManagerPtr();
#define acDocManager acDocManagerPtr()
