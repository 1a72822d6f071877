// The callbacks and the tile routines of BemDia on the module's dialog as the host shows it:
// which tile an integer callback answers, focus and selection after a wrong number, numbers too
// long for the buffers or for 32 bits, real tiles in the drawing's units, and texts that are no
// number.
#include <string>

#include "cad/ads/dialogs.h"
#include "cad/base/utf8.h"
#include "cad/dialogs/dialog.h"
#include "settings/dim_settings.h"
#include "settings/dimstyle.h"
#include "settings/settings_dialog.h"
#include "tests/support/chain_fixture.h"

namespace {

constexpr const wchar_t* kInputError = L" Eingabefehler: Bitte Wert > 0.0 eingeben!";

// What the OK button saw of the running dialog.
struct AtOk {
  std::string focus;
  std::string selected;
  std::wstring error;
};

AtOk g_at_ok;

std::wstring tile(ads_hdlg hdlg, const wchar_t* key) {
  wchar_t value[TILE_STR_LIMIT] = L"";
  ads_get_tile(hdlg, key, value, TILE_STR_LIMIT);
  return value;
}

void look_and_accept(ads_callback_packet* cpkt) {
  const cad::Dialog* shown = cad::shown_dialog(cpkt->dialog);
  g_at_ok.focus = shown != nullptr ? shown->focus() : "";
  g_at_ok.selected = shown != nullptr ? shown->selected_text() : "";
  g_at_ok.error = tile(cpkt->dialog, L"error");
  dlg_accept(cpkt);
}

class BemDiaCallbacksTest : public ModuleHost {
 protected:
  void SetUp() override {
    ModuleHost::SetUp();
    // The settings a style without stored ones has.
    run([] { EXPECT_EQ(get_dimstyle(L"STANDARD"), RTNORM); });
    int dcl = -1;
    ASSERT_EQ(ads_load_dialog(DULK_SOURCE_DIR L"/frame/dulk.dcl", &dcl), RTNORM);
    ASSERT_EQ(ads_new_dialog(L"dulk", dcl, NULLCB, &hdlg_), RTNORM);
    dlg_fill(hdlg_);
    g_at_ok = {};
  }

  // The tile's action as the host calls it after an edit.
  void edited(const wchar_t* key, const std::wstring& text, void (*action)(ads_callback_packet*)) {
    ads_set_tile(hdlg_, key, text.c_str());
    std::wstring value = text;
    ads_callback_packet packet{};
    packet.dialog = hdlg_;
    packet.value = value.data();
    packet.client_data = cad::shown_dialog(hdlg_)->client_data(cad::to_utf8(key));
    packet.reason = CBR_SELECT;
    action(&packet);
  }

  int start(const std::string& script) {
    replies(script);
    int status = -1;
    EXPECT_EQ(ads_start_dialog(hdlg_, &status), RTNORM);
    return status;
  }

  ads_hdlg hdlg_ = nullptr;
};

TEST_F(BemDiaCallbacksTest, NegativeNumberFocusesAndSelectsTheTileThatFiredIt) {
  ads_action_tile(hdlg_, L"accept", look_and_accept);
  ads_action_tile(hdlg_, L"qrm02", dlg_int);
  ads_action_tile(hdlg_, L"qrm07", dlg_int);
  EXPECT_EQ(start("qrm07=5\nqrm02=-5\nOK\n"), DLGOK);
  EXPECT_EQ(g_at_ok.error, kInputError);
  EXPECT_EQ(g_at_ok.focus, "qrm02");
  EXPECT_EQ(g_at_ok.selected, "qrm02");
  EXPECT_EQ(DimSettings.raised_after, 0);
  EXPECT_EQ(DimSettings.min_decimals, 5);
}

TEST_F(BemDiaCallbacksTest, IntegerTilesTakeTheLeadingNumberWithinThirtyTwoBits) {
  const std::wstring nines(3000, L'9');
  const struct {
    std::wstring typed;
    const wchar_t* shown;
    bool error;
  } cases[] = {
      {L"  +12abc", L"12", false},          {L"abc", L"0", false},      {L" -0", L"0", false},
      {nines, L"2147483647", false},        {L"-" + nines, L"0", true}, {L"-7.5", L"0", true},
      {L"2147483648", L"2147483647", false}};
  for (const auto& c : cases) {
    ads_set_tile(hdlg_, L"error", L"");
    edited(L"qrm07", c.typed, dlg_int);
    EXPECT_EQ(tile(hdlg_, L"qrm07"), c.shown) << cad::to_utf8(c.typed.substr(0, 20));
    EXPECT_EQ(tile(hdlg_, L"error"), c.error ? kInputError : L"")
        << cad::to_utf8(c.typed.substr(0, 20));
  }
  // An empty text is no edit: neither the tile nor the error text changes.
  ads_set_tile(hdlg_, L"error", kInputError);
  edited(L"qrm07", L"", dlg_int);
  EXPECT_EQ(tile(hdlg_, L"error"), kInputError);
}

TEST_F(BemDiaCallbacksTest, RealTilesShowTheirNumberUnlessThatWouldChangeIt) {
  const struct {
    const wchar_t* typed;
    const wchar_t* shown;
  } cases[] = {{L"0.50", L"0.5"},        {L"1e3", L"1000"},
               {L"-2.0", L"-2"},         {L"0.123456789", L"0.123456789"},
               {L"1234567", L"1234567"}, {L"1,5", L"1,5"},
               {L"abc", L"abc"}};
  for (const auto& c : cases) {
    edited(L"qrm04", c.typed, dlg_real);
    EXPECT_EQ(tile(hdlg_, L"qrm04"), c.shown) << cad::to_utf8(c.typed);
  }
  // No error text is set or cleared.
  ads_set_tile(hdlg_, L"error", kInputError);
  edited(L"qrm09", L"0.250", dlg_real);
  EXPECT_EQ(tile(hdlg_, L"qrm09"), L"0.25");
  EXPECT_EQ(tile(hdlg_, L"error"), kInputError);
}

TEST_F(BemDiaCallbacksTest, RealTilesAreReadInTheDrawingsLinearUnits) {
  set_short_var(L"LUNITS", 4);
  edited(L"qrm06", L"1'6\"", dlg_real);
  EXPECT_EQ(tile(hdlg_, L"qrm06"), L"18");
  ads_set_tile(hdlg_, L"qrm04", L"2'");
  dlg_read(hdlg_);
  EXPECT_DOUBLE_EQ(DimSettings.chain_spacing, 18.0);
  EXPECT_DOUBLE_EQ(DimSettings.dimline_distance, 24.0);
}

TEST_F(BemDiaCallbacksTest, TextsLongerThanTheBuffersAreCutNotOverrun) {
  ads_set_tile(hdlg_, L"qrm04", (L"0.5" + std::wstring(1000, L'0')).c_str());
  ads_set_tile(hdlg_, L"qrm07", (L"3" + std::wstring(1000, L'0')).c_str());
  ads_set_tile(hdlg_, L"qrm03", (L"1" + std::wstring(1000, L' ')).c_str());
  dlg_read(hdlg_);
  EXPECT_DOUBLE_EQ(DimSettings.dimline_distance, 0.5);
  EXPECT_EQ(DimSettings.min_decimals, 2147483647);
  EXPECT_EQ(DimSettings.leading_zero, 1);
}

// Texts that are no number, NaN and infinity among them, leave the real fields and DIMRND as
// they were (acdbDisToF takes no NaN or infinity); integer tiles take their leading digits.
TEST_F(BemDiaCallbacksTest, TextsThatAreNoNumberLeaveFieldsAndRoundingAlone) {
  set_short_var(L"LUNITS", 2);
  set_real_var(L"DIMRND", 0.125);
  for (const wchar_t* text : {L"abc", L"1e999", L"-1e999", L"nan", L"inf"}) {
    SCOPED_TRACE(cad::to_utf8(text));
    for (const wchar_t* key : {L"qrm01", L"qrm04", L"qrm05", L"qrm06", L"qrm09"})
      ads_set_tile(hdlg_, key, text);
    ads_set_tile(hdlg_, L"qrm02", L"x1");
    dlg_read(hdlg_);
    EXPECT_DOUBLE_EQ(DimSettings.length_factor, 1.0);
    EXPECT_DOUBLE_EQ(DimSettings.dimline_distance, 0.2);
    EXPECT_DOUBLE_EQ(DimSettings.ext_length, 0.1);
    EXPECT_DOUBLE_EQ(DimSettings.chain_spacing, 0.3);
    EXPECT_EQ(DimSettings.raised_after, 0);
    EXPECT_DOUBLE_EQ(real_var(L"DIMRND"), 0.125);
  }
}

}  // namespace
