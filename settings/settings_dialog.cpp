// The settings dialog command: the dialog's tiles filled from DimSettings and DIMRND, the edit
// callbacks, and the style saved with its settings carrier when the dialog closes.
#include "settings/settings_dialog.h"

#include <climits>
#include <cwchar>
#include <cwctype>

#include "frame/command_env.h"
#include "frame/owners.h"
#include "settings/dim_settings.h"
#include "settings/dimstyle.h"

int32_t dlg_x = -1;
int32_t dlg_y = -1;

namespace {

// Identifier of the loaded dialog file; below 0 when loading failed.
int32_t dcl_id = -1;

constexpr const ACHAR* kDclFile = L"./dulk.dcl";
constexpr int kDialogNameLength = 9;
// Tile texts are read into buffers of these sizes, terminator included.
constexpr int kRealTileLength = MAX_TILE_STR;
constexpr int kIntTileLength = MAX_TILE_STR + 1;

constexpr const ACHAR* kErrorTile = L"error";

// How a tile shows and takes its setting: a real in the drawing's linear units, checked as typed
// (dlg_real); an integer, checked as typed (dlg_int); or an integer the dialog takes as it is.
enum class TileKind { kReal, kInteger, kPlainInteger };

// A settings tile: its key, its kind and the field of DimSettings it shows (real or integer).
struct SettingTile {
  const ACHAR* key;
  TileKind kind;
  double DimSettingsRecord::*real;
  int32_t DimSettingsRecord::*integer;
};

constexpr SettingTile kTiles[] = {
    {L"qrm01", TileKind::kReal, &DimSettingsRecord::length_factor, nullptr},
    {L"qrm02", TileKind::kInteger, nullptr, &DimSettingsRecord::raised_after},
    {L"qrm03", TileKind::kPlainInteger, nullptr, &DimSettingsRecord::leading_zero},
    {L"qrm04", TileKind::kReal, &DimSettingsRecord::dimline_distance, nullptr},
    {L"qrm05", TileKind::kReal, &DimSettingsRecord::ext_length, nullptr},
    {L"qrm06", TileKind::kReal, &DimSettingsRecord::chain_spacing, nullptr},
    {L"qrm07", TileKind::kInteger, nullptr, &DimSettingsRecord::min_decimals},
};

// The rounding tile shows the style's DIMRND, a host variable rather than a setting.
constexpr const ACHAR* kRounding = L"qrm09";

// Unloads the dialog file however the command leaves, an unwound callback included.
class DclFileLoaded {
 public:
  explicit DclFileLoaded(int id) : id_(id) {}
  ~DclFileLoaded() { ads_unload_dialog(id_); }
  DclFileLoaded(const DclFileLoaded&) = delete;
  DclFileLoaded& operator=(const DclFileLoaded&) = delete;

 private:
  int id_;
};

// The key a tile carries as its client data, so that one callback serves several tiles.
void* key_data(const ACHAR* key) { return const_cast<ACHAR*>(key); }

void set_real_tile(ads_hdlg hdlg, const ACHAR* key, double value) {
  ACHAR text[TILE_STR_LIMIT];
  std::swprintf(text, TILE_STR_LIMIT, L"%g", value);
  ads_set_tile(hdlg, key, text);
  ads_client_data_tile(hdlg, key, key_data(key));
}

void set_int_tile(ads_hdlg hdlg, const ACHAR* key, int32_t value) {
  ACHAR text[TILE_STR_LIMIT];
  std::swprintf(text, TILE_STR_LIMIT, L"%d", value);
  ads_set_tile(hdlg, key, text);
  ads_client_data_tile(hdlg, key, key_data(key));
}

// The leading decimal integer of text: blanks, a sign, then digits up to the first other
// character; 0 without digits. A number beyond the 32-bit range gives its nearest end, so that
// a long row of digits neither overflows nor turns into a number of the other sign.
int32_t leading_integer(const ACHAR* text) {
  const ACHAR* c = text;
  while (std::iswspace(static_cast<wint_t>(*c))) ++c;
  const bool negative = *c == L'-';
  if (*c == L'-' || *c == L'+') ++c;
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  int64_t magnitude = 0;
  for (; *c >= L'0' && *c <= L'9'; ++c) {
    magnitude = magnitude * 10 + (*c - L'0');
    if (magnitude > limit) magnitude = limit;
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

// The tile's text as a distance in the drawing's linear units; false when it is none.
bool read_distance(ads_hdlg hdlg, const ACHAR* key, ads_real& value) {
  ACHAR text[kRealTileLength];
  if (ads_get_tile(hdlg, key, text, kRealTileLength) != RTNORM) return false;
  return acdbDisToF(text, -1, &value) == RTNORM;
}

void read_real_tile(ads_hdlg hdlg, const ACHAR* key, double& field) {
  ads_real value = 0.0;
  if (read_distance(hdlg, key, value)) field = value;
}

void read_int_tile(ads_hdlg hdlg, const ACHAR* key, int32_t& field) {
  ACHAR text[kIntTileLength] = {};
  ads_get_tile(hdlg, key, text, kIntTileLength);
  field = leading_integer(text);
}

}  // namespace

void dlg_fill(ads_hdlg hdlg) {
  for (const SettingTile& tile : kTiles) {
    if (tile.kind == TileKind::kReal) {
      set_real_tile(hdlg, tile.key, DimSettings.*tile.real);
    } else {
      set_int_tile(hdlg, tile.key, DimSettings.*tile.integer);
    }
  }
  RbValue dimrnd;
  if (acedGetVar(L"DIMRND", dimrnd.fill()) == RTNORM && dimrnd.get().restype == RTREAL) {
    set_real_tile(hdlg, kRounding, dimrnd.get().resval.rreal);
  }
}

void dlg_read(ads_hdlg hdlg) {
  for (const SettingTile& tile : kTiles) {
    if (tile.kind == TileKind::kReal) {
      read_real_tile(hdlg, tile.key, DimSettings.*tile.real);
    } else {
      read_int_tile(hdlg, tile.key, DimSettings.*tile.integer);
    }
  }
  // An unreadable text must not reach DIMRND as an undefined number.
  resbuf dimrnd{};
  dimrnd.restype = RTREAL;
  if (read_distance(hdlg, kRounding, dimrnd.resval.rreal)) acedSetVar(L"DIMRND", &dimrnd);
}

void dlg_accept(ads_callback_packet* cpkt) {
  dlg_read(cpkt->dialog);
  ads_done_positioned_dialog(cpkt->dialog, DLGOK, &dlg_x, &dlg_y);
}

void dlg_int(ads_callback_packet* cpkt) {
  const ACHAR* key = static_cast<const ACHAR*>(cpkt->client_data);
  if (cpkt->value == nullptr || cpkt->value[0] == L'\0' || key == nullptr) return;
  const int32_t number = leading_integer(cpkt->value);
  ACHAR text[TILE_STR_LIMIT];
  if (number < 0) {
    ads_set_tile(cpkt->dialog, kErrorTile, L" Eingabefehler: Bitte Wert > 0.0 eingeben!");
    std::swprintf(text, TILE_STR_LIMIT, L"%d", 0);
    ads_set_tile(cpkt->dialog, key, text);
    ads_mode_tile(cpkt->dialog, key, MODE_SETFOCUS);
    ads_mode_tile(cpkt->dialog, key, MODE_SETSEL);
    return;
  }
  std::swprintf(text, TILE_STR_LIMIT, L"%d", number);
  ads_set_tile(cpkt->dialog, kErrorTile, L"");
  ads_set_tile(cpkt->dialog, key, text);
}

void dlg_real(ads_callback_packet* cpkt) {
  const ACHAR* key = static_cast<const ACHAR*>(cpkt->client_data);
  if (cpkt->value == nullptr || cpkt->value[0] == L'\0' || key == nullptr) return;
  ads_real typed = 0.0;
  if (acdbDisToF(cpkt->value, -1, &typed) != RTNORM) return;
  ACHAR text[TILE_STR_LIMIT];
  std::swprintf(text, TILE_STR_LIMIT, L"%g", typed);
  // "%g" keeps six digits; a longer number stays as typed, so that OK stores what was typed.
  ads_real shown = 0.0;
  if (acdbDisToF(text, -1, &shown) == RTNORM && shown == typed) {
    ads_set_tile(cpkt->dialog, key, text);
  }
}

int BemDia() {
  dim_prepare();
  RbValue rb_dimstyle;
  if (acedGetVar(L"DIMSTYLE", rb_dimstyle.fill()) != RTNORM || rb_dimstyle.text() == nullptr) {
    acrx_abort(L"\n Fehler: getvar DIMSTYLE !");
  }
  get_dimstyle(rb_dimstyle.text());

  // A file that cannot be loaded must not leave the id of an earlier run behind.
  dcl_id = -1;
  if (ads_load_dialog(kDclFile, &dcl_id) != RTNORM || dcl_id < 0) {
    acutPrintf(L"Error loading \"dulk.dcl\"\n");
    return RTERROR;
  }
  {
    const DclFileLoaded loaded(dcl_id);
    const ACHAR dlg_name[kDialogNameLength] = L"dulk";
    ads_hdlg hdlg = nullptr;
    if (ads_new_positioned_dialog(dlg_name, dcl_id, NULLCB, dlg_x, dlg_y, &hdlg) != RTNORM ||
        hdlg == nullptr) {
      acutPrintf(L"Fehler: load dialog function failed\n");
      return RTERROR;
    }
    ads_action_tile(hdlg, L"accept", dlg_accept);
    for (const SettingTile& tile : kTiles) {
      if (tile.kind != TileKind::kPlainInteger) {
        ads_action_tile(hdlg, tile.key, tile.kind == TileKind::kReal ? dlg_real : dlg_int);
      }
    }
    ads_action_tile(hdlg, kRounding, dlg_real);
    dlg_fill(hdlg);
    int dlg_status = DLGCANCEL;
    ads_start_dialog(hdlg, &dlg_status);
  }
  // Cancel keeps the record as it was loaded, but the style is stored all the same.
  set_dimstyle(DimSettings.style_name);
  acedRetVoid();
  return RTNORM;
}
