// Dimension styles and their settings carriers.
#include "settings/dimstyle.h"

#include <string>

#include "frame/owners.h"
#include "frame/rb_tools.h"
#include "settings/dim_settings.h"

namespace {

constexpr const ACHAR* kSettingsApp = L"TAV";
constexpr int kBlockNameLength = 20;
constexpr const ACHAR* kTableFailed = L"\n Fehler in ads_tblsearch!";
constexpr const ACHAR* kListFailed = L"\nFehler in build_list dimstyle";
constexpr const ACHAR* kNoCarrier = L"\n Kein Block gefunden dimstyle";

bool style_in_drawing(const ACHAR* styleName) {
  AcDbHostApplicationServices* services = acdbHostApplicationServices();
  AcDbDatabase* database = services != nullptr ? services->workingDatabase() : nullptr;
  if (database == nullptr) return false;
  AcDbDimStyleTable* pDimStyleTbl = nullptr;
  // The table is always there: a host that cannot open it cannot say whether the style is.
  if (database->getSymbolTable(pDimStyleTbl, AcDb::kForRead) != Acad::eOk ||
      pDimStyleTbl == nullptr) {
    acrx_abort(kTableFailed);
  }
  AcDbObjectId id;
  const bool found = pDimStyleTbl->getIdAt(styleName, id) == Acad::eOk;
  pDimStyleTbl->close();
  return found;
}

// INSERTs of anonymous blocks (the back quote makes the first asterisk literal) with extended
// data of the settings application.
RbList carrier_filter() {
  RbList filter(new_text_node(RTDXF0, L"INSERT"));
  if (!filter) return filter;
  resbuf* name = new_text_node(2, L"`**");
  filter.get()->rbnext = name;
  if (name == nullptr) return RbList();
  name->rbnext = acutNewRb(-3);
  if (name->rbnext == nullptr) return RbList();
  name->rbnext->rbnext = new_text_node(1001, kSettingsApp);
  if (name->rbnext->rbnext == nullptr) return RbList();
  return filter;
}

// Registers the settings application, makes apps the application list that reads a carrier's
// settings and selects every carrier of the drawing into carriers. Whatever of it the host fails
// ends the command: a carrier overlooked would be made a second time.
void select_carriers(RbList& apps, SsName& carriers) {
  // Registering again is refused; only a name still missing afterwards means the host failed.
  if (acdbRegApp(kSettingsApp) != RTNORM && !RbList(acdbTblSearch(L"APPID", kSettingsApp, 0))) {
    acrx_abort(kTableFailed);
  }
  apps = RbList(new_text_node(1001, kSettingsApp));
  RbList filter = carrier_filter();
  if (!apps || !filter) acrx_abort(kListFailed);
  // RTERROR: there is no carrier yet; any other failure is the host's.
  const int status = ss_get(L"X", nullptr, nullptr, filter.get(), carriers);
  if (status != RTNORM && status != RTERROR) acrx_abort(kNoCarrier);
}

// The extended data of the first carrier in carriers whose first 1000 item equals style
// (without regard to case), and the carrier's name; an empty list when none does.
RbList find_carrier(const SsName& carriers, const resbuf* apps, const ACHAR* style,
                    ads_name carrier) {
  int32_t length = 0;
  if (!carriers.held() || acedSSLength(carriers.name(), &length) != RTNORM) return RbList();
  for (int32_t i = 0; i < length; ++i) {
    if (acedSSName(carriers.name(), i, carrier) != RTNORM) continue;
    RbList data(acdbEntGetX(carrier, apps));
    if (!data) acrx_abort(kNoCarrier);
    const resbuf* text = rb_assoc(data.get(), 1000);
    if (text != nullptr && same_text_nocase(text->resval.rstring, style)) return data;
  }
  return RbList();
}

// Loads the six values that follow the style name on a carrier. False, with the record as it
// was, when they are not there with their types (another program changed the carrier).
bool load_values(const resbuf* style_item) {
  const resbuf* items[6];
  const int types[6] = {1040, 1040, 1040, 1040, 1070, 1070};
  const resbuf* node = style_item->rbnext;
  for (int i = 0; i < 6; ++i, node = node->rbnext) {
    if (node == nullptr || node->restype != types[i]) return false;
    items[i] = node;
  }
  DimSettings.chain_spacing = items[0]->resval.rreal;
  DimSettings.dimline_distance = items[1]->resval.rreal;
  DimSettings.ext_length = items[2]->resval.rreal;
  DimSettings.length_factor = items[3]->resval.rreal;
  DimSettings.min_decimals = items[4]->resval.rint;
  DimSettings.raised_after = items[5]->resval.rint;
  return true;
}

void load_defaults() {
  DimSettings.chain_spacing = 0.3;
  DimSettings.dimline_distance = 0.2;
  DimSettings.ext_length = 0.1;
  DimSettings.min_decimals = 2;
  DimSettings.raised_after = 2;
  DimSettings.length_factor = 1.0;
  DimSettings.leading_zero = 0;
}

// Says once that a carrier's settings were unusable: the carrier is written sound right after.
void report_damaged(const ACHAR* style) {
  acutPrintf(L"\nEinstellungen des Stils \"%s\" waren beschaedigt und wurden ersetzt !", style);
}

// Appends a new node of the given type behind *tail; false when the host has no memory.
bool append_real(resbuf*& tail, double value) {
  resbuf* node = acutNewRb(1040);
  if (node == nullptr) return false;
  node->resval.rreal = value;
  tail = tail->rbnext = node;
  return true;
}

bool append_short(resbuf*& tail, int32_t value) {
  resbuf* node = acutNewRb(1070);
  if (node == nullptr) return false;
  // Stored as 16 bits: a value beyond that range does not come back as it was.
  node->resval.rint = static_cast<short>(value);
  tail = tail->rbnext = node;
  return true;
}

bool append_text(resbuf*& tail, int type, const ACHAR* text) {
  resbuf* node = new_text_node(type, text);
  if (node == nullptr) return false;
  tail = tail->rbnext = node;
  return true;
}

// The extended data of a carrier for the record as it is.
RbList carrier_xdata() {
  RbList xdata(acutNewRb(-3));
  resbuf* tail = xdata.get();
  if (tail == nullptr || !append_text(tail, 1001, kSettingsApp) ||
      !append_text(tail, 1000, DimSettings.style_name) ||
      !append_real(tail, DimSettings.chain_spacing) ||
      !append_real(tail, DimSettings.dimline_distance) ||
      !append_real(tail, DimSettings.ext_length) || !append_real(tail, DimSettings.length_factor) ||
      !append_short(tail, DimSettings.min_decimals) ||
      !append_short(tail, DimSettings.raised_after)) {
    acrx_abort(kListFailed);
  }
  return xdata;
}

// Appends the carrier data to the entity list of carrier and writes it.
void write_carrier(const ads_name carrier) {
  RbList data(acdbEntGet(carrier));
  if (!data) acrx_abort(kNoCarrier);
  rb_append(data.get(), carrier_xdata().release());
  if (acdbEntMod(data.get()) != RTNORM) acrx_abort(L"\nFehler in entmod 2 dimstyle");
}

void make_entity(resbuf* list, int expected) {
  RbList owned(list);
  if (!owned) acrx_abort(kListFailed);
  if (acdbEntMake(owned.get()) != expected) acrx_abort(L"\nFehler in entmake 1 dimstyle");
}

// An INSERT of a new empty anonymous block, at the origin on layer "0".
void make_carrier(ads_name carrier) {
  ads_point in_point = {0.0, 0.0, 0.0};
  make_entity(acutBuildList(RTDXF0, L"BLOCK", 2, L"*UNAMED", 8, L"0", 70, 1, 10, in_point, 0),
              RTNORM);
  // Completing an anonymous block is answered with RTKWORD; its name comes by acedGetInput.
  make_entity(acutBuildList(RTDXF0, L"ENDBLK", 0), RTKWORD);
  ACHAR new_block[kBlockNameLength] = {};
  if (acedGetInput(new_block, kBlockNameLength) != RTNORM) {
    acrx_abort(L"\nFehler bei create Block dimstyle");
  }
  make_entity(acutBuildList(RTDXF0, L"INSERT", 8, L"0", 2, new_block, 10, in_point, 0), RTNORM);
  if (acdbEntLast(carrier) != RTNORM) acrx_abort(kNoCarrier);
}

}  // namespace

int get_dimstyle(const ACHAR* styleName) {
  // A copy: the name may be the record's own, which loading rewrites.
  const std::wstring style = same_text_nocase(styleName, L"*UNNAMED") ? L"STANDARD" : styleName;
  if (!style_in_drawing(style.c_str())) {
    acutPrintf(L"\nStil \"%s\" nicht in Zeichnung gefunden !", style.c_str());
    return RTERROR;
  }
  acedCommandS(RTSTR, L"_dim1", RTSTR, L"_restore", RTSTR, style.c_str(), RTNONE);
  RbValue rounding;
  if (acedGetVar(L"DIMRND", rounding.fill()) == RTNORM && rounding.get().restype == RTREAL) {
    DimSettings.rounding = rounding.get().resval.rreal;
  }

  RbList apps;
  SsName carriers;
  select_carriers(apps, carriers);
  ads_name carrier;
  RbList own = find_carrier(carriers, apps.get(), style.c_str(), carrier);
  if (own) {
    const resbuf* text = rb_assoc(own.get(), 1000);
    if (load_values(text)) {
      copy_text(DimSettings.style_name, kStyleNameLength, text->resval.rstring);
      return RTNORM;
    }
    // A damaged carrier would end every command; the style gets the template's values or the
    // defaults instead, and set_dimstyle below writes them over the damaged ones.
    report_damaged(style.c_str());
  }
  const bool template_is_own = own && same_text_nocase(style.c_str(), L"STANDARD");
  RbList standard =
      template_is_own ? RbList() : find_carrier(carriers, apps.get(), L"STANDARD", carrier);
  carriers.reset();
  const resbuf* template_text = standard ? rb_assoc(standard.get(), 1000) : nullptr;
  if (template_text == nullptr || !load_values(template_text)) {
    load_defaults();
    if (template_text != nullptr) {
      // The template itself is repaired with the defaults, so that no other style reports it.
      report_damaged(template_text->resval.rstring);
      copy_text(DimSettings.style_name, kStyleNameLength, template_text->resval.rstring);
      write_carrier(carrier);
    }
  }
  // The values go to the requested style. Defaults saved as STANDARD would save the requested
  // style's variables over STANDARD and leave STANDARD current in its place; for a request of
  // STANDARD itself both are the same.
  copy_text(DimSettings.style_name, kStyleNameLength, style.c_str());
  set_dimstyle(DimSettings.style_name);
  return RTNORM;
}

int set_dimstyle(const ACHAR* name) {
  // A copy: name is the record's own style name, which this routine rewrites.
  const std::wstring style = name;
  resbuf dimdli{};
  dimdli.restype = RTREAL;
  dimdli.resval.rreal = 0.0;
  acedSetVar(L"DIMDLI", &dimdli);
  int saved;
  if (RbList(acdbTblSearch(L"DIMSTYLE", style.c_str(), 0))) {
    saved = acedCommandS(RTSTR, L"_dim1", RTSTR, L"_save", RTSTR, style.c_str(), RTSTR, L"_Yes",
                         RTNONE);
  } else {
    saved = acedCommandS(RTSTR, L"_dim1", RTSTR, L"_save", RTSTR, style.c_str(), RTNONE);
  }
  // A save that failed, or a style missing after it, leaves the settings without their style;
  // a lookup that failed although the style is there makes the save refuse to replace it.
  RbList entry(saved == RTNORM ? acdbTblSearch(L"DIMSTYLE", style.c_str(), 0) : nullptr);
  if (!entry) acrx_abort(L"\nKonnte Stil \"%s\" nicht erstellen !", style.c_str());
  const resbuf* entry_name = rb_assoc(entry.get(), 2);
  if (entry_name == nullptr || entry_name->resval.rstring == nullptr) acrx_abort(kTableFailed);
  copy_text(DimSettings.style_name, kStyleNameLength, entry_name->resval.rstring);

  RbList apps;
  SsName carriers;
  select_carriers(apps, carriers);
  ads_name carrier;
  if (!find_carrier(carriers, apps.get(), DimSettings.style_name, carrier)) {
    make_carrier(carrier);
  }
  write_carrier(carrier);
  return RTNORM;
}
