// The host interface the module compiles against, checked at compile time against the
// declarations of the real host's SDK (ObjectARX for the 2019 host; its headers are not ours to
// carry): every function, class, type and constant the module and the entry-point headers use,
// with the parameter and result types, const-ness, default arguments and values the SDK gives
// them. The types and values written here are the SDK's.
//
// It is compiled three times: against host/ on Linux (the test host_interface_matches_sdk),
// against host/ for Windows x64 (scripts/check-module.sh, where the sizes of the Windows layout
// are checked too) and against the SDK itself (scripts/check-module.sh --sdk), which proves that
// what is written here is the SDK's. C++17, the language of the real host's toolchain.
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "host/arxHeaders.h"

namespace {

// Compiles only when function (possibly overloaded) has a declaration of exactly type T.
template <typename T>
bool declared(T);
#define DECLARED(type, function) \
  static_assert(std::is_same_v<decltype(declared<type>(&function)), bool>, #function)

// Basic types.
static_assert(std::is_same_v<ACHAR, wchar_t>);
static_assert(std::is_same_v<ads_real, double>);
static_assert(std::is_same_v<ads_point, double[3]>);
static_assert(std::is_same_v<ads_name, int64_t[2]>);
static_assert(std::is_same_v<ads_matrix, double[4][4]>);
static_assert(std::is_same_v<decltype(resbuf::rbnext), resbuf*>);
static_assert(std::is_same_v<decltype(resbuf::restype), short>);
static_assert(std::is_same_v<decltype(ads_u_val::rreal), double>);
static_assert(std::is_same_v<decltype(ads_u_val::rpoint), double[3]>);
static_assert(std::is_same_v<decltype(ads_u_val::rint), short>);
static_assert(std::is_same_v<decltype(ads_u_val::rstring), ACHAR*>);
static_assert(std::is_same_v<decltype(ads_u_val::rlname), int64_t[2]>);
static_assert(std::is_same_v<decltype(ads_u_val::rlong), int32_t>);
static_assert(std::is_same_v<decltype(ads_u_val::mnInt64), int64_t>);
static_assert(std::is_same_v<decltype(ads_binary::clen), short>);
static_assert(std::is_same_v<decltype(ads_binary::buf), char*>);
static_assert(std::is_same_v<Adesk::Int32, int32_t>);
static_assert(std::is_same_v<Adesk::UInt32, uint32_t>);
static_assert(std::is_same_v<Adesk::UInt64, uint64_t>);
static_assert(X == 0 && Y == 1 && Z == 2 && T == 3);
#ifdef _WIN64
static_assert(sizeof(resbuf) == 40 && sizeof(ads_u_val) == 24);
static_assert(sizeof(ads_callback_packet) == 48);
#endif

// Result types and status codes.
static_assert(RTNONE == 5000 && RTREAL == 5001 && RTPOINT == 5002 && RTSHORT == 5003);
static_assert(RTANG == 5004 && RTSTR == 5005 && RTENAME == 5006 && RTPICKS == 5007);
static_assert(RTORINT == 5008 && RT3DPOINT == 5009 && RTLONG == 5010 && RTVOID == 5014);
static_assert(RTLB == 5016 && RTLE == 5017 && RTDOTE == 5018 && RTNIL == 5019);
static_assert(RTDXF0 == 5020 && RTT == 5021 && RTRESBUF == 5023 && RTINT64 == 5031);
static_assert(RTNORM == 5100 && RTERROR == -5001 && RTCAN == -5002 && RTREJ == -5003);
static_assert(RTFAIL == -5004 && RTKWORD == -5005);
static_assert(RSG_NONULL == 1 && RSG_NOZERO == 2 && RSG_NONEG == 4 && RSG_NOLIM == 8);
static_assert(RSG_DASH == 0x20 && RSG_2D == 0x40 && RSG_OTHER == 0x80);

// Status of the object interface.
static_assert(Acad::eOk == 0 && Acad::eNotImplementedYet == 1 && Acad::eInvalidInput == 3);
static_assert(Acad::eOutOfMemory == 6 && Acad::eNullObjectId == 16);
static_assert(Acad::eKeyNotFound == 22 && Acad::eDuplicateKey == 23);
static_assert(Acad::eInvalidAdsName == 31 && Acad::eNotOpenForWrite == 45);
static_assert(Acad::eWasErased == 80);

// Application messages and their answers.
static_assert(AcRx::kNullMsg == 0 && AcRx::kInitAppMsg == 1 && AcRx::kUnloadAppMsg == 2);
static_assert(AcRx::kLoadDwgMsg == 3 && AcRx::kUnloadDwgMsg == 4 && AcRx::kInvkSubrMsg == 5);
static_assert(AcRx::kCfgMsg == 6 && AcRx::kEndMsg == 7 && AcRx::kQuitMsg == 8);
static_assert(AcRx::kSaveMsg == 9 && AcRx::kDependencyMsg == 10);
static_assert(AcRx::kNoDependencyMsg == 11 && AcRx::kOleUnloadAppMsg == 12);
static_assert(AcRx::kPreQuitMsg == 13 && AcRx::kInitDialogMsg == 14);
static_assert(AcRx::kEndDialogMsg == 15 && AcRx::kSuspendMsg == 16);
static_assert(AcRx::kInitTabGroupMsg == 17 && AcRx::kEndTabGroupMsg == 18);
static_assert(AcRx::kRetOK == 0 && AcRx::kRetError == 3);
static_assert(AcDb::kForRead == 0 && AcDb::kForWrite == 1 && AcDb::kForNotify == 2);

// Command flags.
static_assert(ACRX_CMD_MODAL == 0 && ACRX_CMD_TRANSPARENT == 1 && ACRX_CMD_USEPICKSET == 2);
static_assert(ACRX_CMD_REDRAW == 4 && ACRX_CMD_NOINTERNALLOCK == 0x00020000);
static_assert(ACRX_CMD_SESSION == 0x00200000);

// Dialogs.
static_assert(DLGCANCEL == 0 && DLGOK == 1 && DLGALLDONE == -1 && DLGSTATUS == 2);
static_assert(std::is_same_v<decltype(MODE_SETFOCUS), short> && MODE_ENABLE == 0);
static_assert(MODE_DISABLE == 1 && MODE_SETFOCUS == 2 && MODE_SETSEL == 3 && MODE_FLIP == 4);
static_assert(CBR_SELECT == 1 && CBR_LOST_FOCUS == 2 && CBR_DRAG == 3 && CBR_DOUBLE_CLICK == 4);
static_assert(MAX_TILE_STR == 40 && TILE_STR_LIMIT == 2035);
static_assert(std::is_same_v<ads_hdlg, void*> && std::is_same_v<ads_htile, void*>);
static_assert(std::is_same_v<CLIENTFUNC, void (*)(ads_callback_packet*)>);
static_assert(std::is_same_v<decltype(ads_callback_packet::value), ACHAR*>);
static_assert(std::is_same_v<decltype(ads_callback_packet::client_data), void*>);
static_assert(std::is_same_v<decltype(ads_callback_packet::reason), int>);
static_assert(std::is_same_v<decltype(ads_callback_packet::x), long>);
DECLARED(int (*)(const ACHAR*, int*), ads_load_dialog);
DECLARED(int (*)(int), ads_unload_dialog);
DECLARED(int (*)(const ACHAR*, int, CLIENTFUNC, int, int, ads_hdlg*), ads_new_positioned_dialog);
DECLARED(int (*)(ads_hdlg, int*), ads_start_dialog);
DECLARED(int (*)(ads_hdlg, const ACHAR*, CLIENTFUNC), ads_action_tile);
DECLARED(int (*)(ads_hdlg, int, int*, int*), ads_done_positioned_dialog);
DECLARED(int (*)(ads_hdlg, const ACHAR*, const ACHAR*), ads_set_tile);
DECLARED(int (*)(ads_hdlg, const ACHAR*, void*), ads_client_data_tile);
DECLARED(int (*)(ads_hdlg, const ACHAR*, ACHAR*, int), ads_get_tile);
DECLARED(int (*)(ads_hdlg, const ACHAR*, short), ads_mode_tile);

// Input.
DECLARED(int (*)(int, const ACHAR*), acedInitGet);
DECLARED(int (*)(const ads_point, const ACHAR*, ads_point), acedGetPoint);
DECLARED(int (*)(const ads_point, const ACHAR*, ads_real*), acedGetDist);
DECLARED(int (*)(const ads_point, const ACHAR*, ads_real*), acedGetOrient);
DECLARED(int (*)(const ACHAR*, ACHAR*, size_t), acedGetKword);
DECLARED(int (*)(ACHAR*, size_t), acedGetInput);
DECLARED(int (*)(const ACHAR*, ads_name, ads_point), acedEntSel);
DECLARED(resbuf* (*)(), acedGetArgs);
DECLARED(int (*)(const ads_point, const ads_point, int, int), acedGrDraw);
DECLARED(int (*)(), acedRetVoid);
DECLARED(int (*)(), acedGetFunCode);

// Selection sets.
DECLARED(int (*)(const ACHAR*, const void*, const void*, const resbuf*, ads_name), acedSSGet);
DECLARED(int (*)(const ads_name, Adesk::Int32*), acedSSLength);
DECLARED(int (*)(const ads_name, int, ads_name), acedSSName);
DECLARED(int (*)(const ads_name, const ads_name, ads_name), acedSSAdd);
DECLARED(int (*)(const ads_name, const ads_name), acedSSDel);
DECLARED(int (*)(const ads_name, const ads_name), acedSSMemb);
DECLARED(int (*)(const ads_name), acedSSFree);

// Entity lists and symbol tables.
DECLARED(resbuf* (*)(const ads_name), acdbEntGet);
DECLARED(resbuf* (*)(const ads_name, const resbuf*), acdbEntGetX);
DECLARED(int (*)(const resbuf*), acdbEntMake);
DECLARED(int (*)(const resbuf*), acdbEntMod);
DECLARED(int (*)(const ads_name), acdbEntDel);
DECLARED(int (*)(ads_name), acdbEntLast);
DECLARED(int (*)(const ads_name, ads_name), acdbEntNext);
DECLARED(int (*)(const ACHAR*, ads_name), acdbHandEnt);
DECLARED(int (*)(const ACHAR*), acdbRegApp);
DECLARED(resbuf* (*)(const ACHAR*, const ACHAR*, int), acdbTblSearch);
DECLARED(resbuf* (*)(const ACHAR*, int), acdbTblNext);

// Scripted commands, system variables, geometry.
DECLARED(int (*)(int, ...), acedCommandS);
DECLARED(int (*)(const resbuf*, bool, AcApDocument*), acedCmdS);
static_assert(std::is_same_v<decltype(acedCmdS(nullptr)), int>, "acedCmdS defaults");
DECLARED(int (*)(const ACHAR*, resbuf*), acedGetVar);
DECLARED(int (*)(const ACHAR*, const resbuf*), acedSetVar);
DECLARED(int (*)(const ads_point, const resbuf*, const resbuf*, int, ads_point), acedTrans);
DECLARED(int (*)(const ads_point, const ads_point, const ads_point, const ads_point, int,
                 ads_point),
         acdbInters);
DECLARED(ads_real (*)(const ads_point, const ads_point), acutDistance);
DECLARED(int (*)(const ACHAR*, int, ads_real*), acdbDisToF);

// Output and failure.
DECLARED(int (*)(const ACHAR*, ...), acutPrintf);
DECLARED(int (*)(wchar_t*, size_t, const wchar_t*, va_list), acutVSPrintf);
DECLARED(int (*)(const ACHAR*), acedAlert);
DECLARED(void (*)(const ACHAR*, ...), acrx_abort);
DECLARED(void (*)(const ACHAR*), acdbFail);

// Result buffers and texts.
DECLARED(resbuf* (*)(int), acutNewRb);
DECLARED(int (*)(resbuf*), acutRelRb);
DECLARED(resbuf* (*)(int, ...), acutBuildList);
DECLARED(Acad::ErrorStatus (*)(ACHAR*&, Adesk::Int32), acutNewString);
DECLARED(Acad::ErrorStatus (*)(const ACHAR*, ACHAR*&), acutNewString);
DECLARED(Acad::ErrorStatus (*)(const ACHAR*, ACHAR*&), acutUpdString);
DECLARED(void (*)(wchar_t*&), acutDelString);

// The registry, the command stack and the dynamic linker.
DECLARED(AcRxDictionary* (*)(), acrxSysRegistry);
DECLARED(AcRxObject* (AcRxDictionary::*)(const ACHAR*) const, AcRxDictionary::at);
static_assert(std::is_base_of_v<AcRxObject, AcEdCommandStack>);
static_assert(std::is_base_of_v<AcRxObject, AcRxDynamicLinker>);
static_assert(std::is_same_v<decltype(acedRegCmds), AcEdCommandStack*>);
static_assert(std::is_same_v<decltype(acrxDynamicLinker), AcRxDynamicLinker*>);
static_assert(std::is_same_v<AcRxFunctionPtr, void (*)()>);
DECLARED(Acad::ErrorStatus (AcEdCommandStack::*)(const ACHAR*, const ACHAR*, const ACHAR*,
                                                 Adesk::Int32, AcRxFunctionPtr, AcEdUIContext*, int,
                                                 const AcRxResourceInstance&, AcEdCommand**),
         AcEdCommandStack::addCommand);
static_assert(std::is_same_v<decltype(std::declval<AcEdCommandStack&>().addCommand(L"", L"", L"", 0,
                                                                                   nullptr)),
                             Acad::ErrorStatus>,
              "addCommand defaults");
DECLARED(Acad::ErrorStatus (AcEdCommandStack::*)(const ACHAR*, const ACHAR*),
         AcEdCommandStack::removeCmd);
DECLARED(bool (AcRxDynamicLinker::*)(void*) const, AcRxDynamicLinker::unlockApplication);
DECLARED(bool (AcRxDynamicLinker::*)(void*) const, AcRxDynamicLinker::registerAppMDIAware);
static_assert(std::is_constructible_v<AcRxResourceInstance, void*>);
static_assert(!std::is_default_constructible_v<AcRxResourceInstance>);
static_assert(std::is_same_v<decltype(AcRxResourceInstance::empty()), const AcRxResourceInstance&>);

// The working database, symbol tables, ids and handles.
DECLARED(AcDbHostApplicationServices* (*)(), acdbHostApplicationServices);
DECLARED(AcDbDatabase* (AcDbHostApplicationServices::*)() const,
         AcDbHostApplicationServices::workingDatabase);
DECLARED(Acad::ErrorStatus (AcDbDatabase::*)(AcDbDimStyleTable*&, AcDb::OpenMode),
         AcDbDatabase::getSymbolTable);
static_assert(std::is_same_v<decltype(std::declval<AcDbDatabase&>().getSymbolTable(
                                 std::declval<AcDbDimStyleTable*&>())),
                             Acad::ErrorStatus>,
              "getSymbolTable defaults");
static_assert(std::is_base_of_v<AcDbSymbolTable, AcDbDimStyleTable>);
static_assert(std::is_base_of_v<AcDbObject, AcDbSymbolTable>);
DECLARED(Acad::ErrorStatus (AcDbSymbolTable::*)(const ACHAR*, AcDbObjectId&, bool) const,
         AcDbSymbolTable::getIdAt);
DECLARED(Acad::ErrorStatus (AcDbObject::*)(), AcDbObject::close);
DECLARED(Acad::ErrorStatus (*)(AcDbObjectId&, const ads_name), acdbGetObjectId);
DECLARED(AcDbHandle (AcDbObjectId::*)() const, AcDbObjectId::handle);
DECLARED(bool (AcDbHandle::*)(ACHAR*, size_t) const, AcDbHandle::getIntoAsciiBuffer);
static_assert(std::is_default_constructible_v<AcDbObjectId>);
DECLARED(const ACHAR* (*)(Acad::ErrorStatus), acadErrorStatusText);

// Documents and the data a module keeps per document.
DECLARED(AcApDocManager* (*)(), acDocManagerPtr);
static_assert(std::is_same_v<decltype(acDocManager), AcApDocManager*>);
static_assert(std::is_abstract_v<AcApDocManager>);
DECLARED(AcApDocument* (AcApDocManager::*)() const, AcApDocManager::curDocument);
DECLARED(void (AcApDocManager::*)(AcApDocManagerReactor*), AcApDocManager::addReactor);
DECLARED(void (AcApDocManager::*)(AcApDocManagerReactor*), AcApDocManager::removeReactor);
DECLARED(void (AcApDocManagerReactor::*)(AcApDocument*),
         AcApDocManagerReactor::documentToBeDestroyed);
struct ProbeData {};
static_assert(std::is_base_of_v<AcApDocManagerReactor, AcApDataManager<ProbeData>>);
DECLARED(ProbeData& (AcApDataManager<ProbeData>::*)(AcApDocument*),
         AcApDataManager<ProbeData>::docData);
DECLARED(ProbeData& (AcApDataManager<ProbeData>::*)(), AcApDataManager<ProbeData>::docData);

// The application classes and the entry point.
static_assert(std::is_abstract_v<AcRxDbxApp> && std::is_abstract_v<AcRxArxApp>);
static_assert(std::is_base_of_v<AcRxDbxApp, AcRxArxApp>);
DECLARED(AcRx::AppRetCode (AcRxDbxApp::*)(AcRx::AppMsgCode, void*), AcRxDbxApp::acrxEntryPoint);
DECLARED(AcRx::AppRetCode (AcRxDbxApp::*)(void*), AcRxDbxApp::On_kInitAppMsg);
DECLARED(AcRx::AppRetCode (AcRxDbxApp::*)(void*), AcRxDbxApp::On_kUnloadAppMsg);
DECLARED(AcRx::AppRetCode (AcRxDbxApp::*)(void*), AcRxDbxApp::On_kNullMsg);
DECLARED(AcRx::AppRetCode (AcRxArxApp::*)(void*), AcRxArxApp::On_kInitAppMsg);
DECLARED(AcRx::AppRetCode (AcRxArxApp::*)(void*), AcRxArxApp::On_kUnloadAppMsg);
DECLARED(void (AcRxDbxApp::*)(), AcRxDbxApp::RegisterServerComponents);
DECLARED(HINSTANCE& (AcRxDbxApp::*)(), AcRxDbxApp::GetModuleInstance);
DECLARED(AcRxDbxApp* (*)(), acrxGetApp);
static_assert(std::is_same_v<decltype(_hdllInstance), HINSTANCE>);
#if !defined(IMPLEMENT_ARX_ENTRYPOINT) || !defined(ACED_ARXCOMMAND_ENTRY_AUTO) || \
    !defined(ACED_ARXCOMMAND_ENTRYBYID_AUTO)
#error the entry-point macros are missing
#endif

// What the module takes from the operating system.
static_assert(DLL_PROCESS_ATTACH == 1 && DLL_PROCESS_DETACH == 0 && TRUE == 1);
static_assert(std::is_same_v<DWORD, unsigned long> && std::is_same_v<LPVOID, void*>);
static_assert(std::is_pointer_v<HINSTANCE> && std::is_same_v<BOOL, int>);

}  // namespace
