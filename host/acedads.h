// The host's editor functions (the real SDK's acedads.h): input, selection sets, entity lists,
// symbol tables, system variables, coordinate systems, output and the application functions.
// C++ linkage, as the SDK declares them.
//
// Ownership: every resbuf list a function here returns belongs to the caller, who releases it
// with acutRelRb. Every selection set acedSSGet or acedSSAdd makes lives until acedSSFree.
#pragma once

#include <cstddef>

#include "adesk.h"
#include "adsdef.h"

// Application functions (functions callable from the host's language) of the running module.
int acedRegFunc(int (*fhdl)(void), int fcode);
int acedDefun(const ACHAR* pszName, int nFuncNum);
int acedUndef(const ACHAR* sname, int nFuncNum);
int acedGetFunCode(void);
struct resbuf* acedGetArgs(void);
int acedRetVoid(void);

// Input. Points are in the current UCS.
int acedEntSel(const ACHAR* str, ads_name entres, ads_point ptres);
int acedInitGet(int val, const ACHAR* kwl);
int acedGetAngle(const ads_point pt, const ACHAR* prompt, ads_real* result);
int acedGetDist(const ads_point pt, const ACHAR* prompt, ads_real* result);
int acedGetOrient(const ads_point pt, const ACHAR* prompt, ads_real* result);
int acedGetPoint(const ads_point pt, const ACHAR* prompt, ads_point result);
int acedGetInt(const ACHAR* prompt, int* result);
int acedGetKword(const ACHAR* prompt, ACHAR* result, size_t nBufLen);
int acedGetReal(const ACHAR* prompt, ads_real* result);
int acedGetInput(ACHAR* str, size_t nBufLen);
int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result, size_t bufsize);
int acedGrDraw(const ads_point from, const ads_point to, int color, int hl);

// Selection sets. acedSSGet answers RTERROR when nothing was selected, RTREJ when the host could
// not make the set; acedSSAdd answers RTREJ when it could not make a new one.
int acedSSGet(const ACHAR* str, const void* pt1, const void* pt2, const struct resbuf* filter,
              ads_name ss);
int acedSSFree(const ads_name sname);
int acedSSLength(const ads_name sname, Adesk::Int32* len);
int acedSSAdd(const ads_name ename, const ads_name sname, ads_name result);
int acedSSDel(const ads_name ename, const ads_name ss);
int acedSSMemb(const ads_name ename, const ads_name ss);
int acedSSName(const ads_name ss, int i, ads_name entres);

// Coordinate systems, system variables, output.
int acedTrans(const ads_point pt, const struct resbuf* from, const struct resbuf* to, int disp,
              ads_point result);
int acedSetVar(const ACHAR* sym, const struct resbuf* val);
int acedGetVar(const ACHAR* sym, struct resbuf* result);
int acedAlert(const ACHAR* str);

// Entity lists and symbol tables.
int acdbEntDel(const ads_name ent);
struct resbuf* acdbEntGetX(const ads_name ent, const struct resbuf* args);
struct resbuf* acdbEntGet(const ads_name ent);
int acdbEntLast(ads_name result);
int acdbEntNext(const ads_name ent, ads_name result);
int acdbEntMod(const struct resbuf* ent);
int acdbEntMake(const struct resbuf* ent);
int acdbRegApp(const ACHAR* appname);
struct resbuf* acdbTblNext(const ACHAR* tblname, int rewind);
struct resbuf* acdbTblSearch(const ACHAR* tblname, const ACHAR* sym, int setnext);

// Numbers as text and back, intersections.
int acdbRToS(ads_real val, int unit, int prec, ACHAR* str, size_t nBufLen);
int acdbDisToF(const ACHAR* str, int unit, ads_real* v);
int acdbInters(const ads_point from1, const ads_point to1, const ads_point from2,
               const ads_point to2, int teston, ads_point result);
