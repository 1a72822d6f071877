// Settings per dimension style: loading from the style's carrier, from the STANDARD template or
// the defaults, and storing them on one carrier per style.
#include <string>
#include <vector>

#include "cad/base/utf8.h"
#include "settings/dim_settings.h"
#include "settings/dimstyle.h"
#include "tests/support/chain_fixture.h"

namespace {

class SettingsTest : public ModuleHost {
 protected:
  static void make_style(const wchar_t* name) {
    acedCommandS(RTSTR, L"_dim1", RTSTR, L"_save", RTSTR, name, RTNONE);
    acedCommandS(RTSTR, L"_dim1", RTSTR, L"_restore", RTSTR, L"STANDARD", RTNONE);
  }
};

TEST_F(SettingsTest, DrawingWithoutCarriersGetsDefaultsOnAStandardCarrier) {
  DimSettings.leading_zero = 4;
  run([] { EXPECT_EQ(get_dimstyle(L"STANDARD"), RTNORM); });
  EXPECT_EQ(std::wstring(DimSettings.style_name), L"STANDARD");
  EXPECT_EQ(DimSettings.leading_zero, 0);

  const std::vector<Name> found = carriers();
  ASSERT_EQ(found.size(), 1u);
  const CarrierData data = carrier_data(found[0]);
  EXPECT_EQ(data.style, L"STANDARD");
  EXPECT_EQ(data.reals, (std::vector<double>{0.3, 0.2, 0.1, 1.0}));
  EXPECT_EQ(data.shorts, (std::vector<short>{2, 2}));
  EXPECT_EQ(text_group(found[0], 8), L"0");
  RbList insert(acdbEntGet(found[0].data()));
  const double* at = rb_assoc(insert.get(), 10)->resval.rpoint;
  EXPECT_EQ(std::vector<double>(at, at + 3), std::vector<double>(3, 0.0));
  const std::wstring block = text_group(found[0], 2);
  ASSERT_EQ(block.substr(0, 2), L"*U");
  std::string narrow(block.begin(), block.end());
  const size_t index = host().db().block_index(narrow);
  ASSERT_NE(index, cad::Database::npos);
  EXPECT_TRUE(host().db().blocks()[index].entities.empty());
  EXPECT_DOUBLE_EQ(real_var(L"DIMDLI"), 0.0);
}

TEST_F(SettingsTest, FirstStyleWithoutCarriersKeepsItsNameAndLeavesStandardAlone) {
  run([] {
    set_real_var(L"DIMASZ", 0.4);
    set_real_var(L"DIMRND", 0.05);
    acedCommandS(RTSTR, L"_dim1", RTSTR, L"_save", RTSTR, L"S1", RTNONE);
    EXPECT_EQ(get_dimstyle(L"S1"), RTNORM);
  });
  EXPECT_EQ(std::wstring(DimSettings.style_name), L"S1");
  EXPECT_EQ(text_var(L"DIMSTYLE"), L"S1");
  EXPECT_DOUBLE_EQ(DimSettings.dimline_distance, 0.2);
  EXPECT_DOUBLE_EQ(DimSettings.rounding, 0.05);
  EXPECT_EQ(only_carrier().style, L"S1");
  RbList standard(acdbTblSearch(L"DIMSTYLE", L"STANDARD", 0));
  EXPECT_NE(rb_assoc(standard.get(), 41)->resval.rreal, 0.4);
}

// A style's own carrier loads without touching the drawing; another style takes the values of
// STANDARD on a carrier of its own, which alone keeps what is stored for that style.
TEST_F(SettingsTest, OwnCarrierLoadsAndOtherStyleTakesTheStandardValuesOnItsOwn) {
  run([] {
    get_dimstyle(L"STANDARD");
    DimSettings.chain_spacing = 0.6;
    DimSettings.min_decimals = 0;
    DimSettings.raised_after = -3;
    DimSettings.ext_length = 0.05;
    set_dimstyle(DimSettings.style_name);
    make_style(L"Plan");
  });
  DimSettings = {};
  const std::string drawing = saved_bytes();
  run([] { EXPECT_EQ(get_dimstyle(L"standard"), RTNORM); });
  EXPECT_TRUE(saved_bytes() == drawing);
  EXPECT_DOUBLE_EQ(DimSettings.chain_spacing, 0.6);
  EXPECT_EQ(DimSettings.min_decimals, 0);
  EXPECT_EQ(DimSettings.raised_after, -3);
  EXPECT_EQ(std::wstring(DimSettings.style_name), L"STANDARD");
  EXPECT_EQ(carriers().size(), 1u);

  DimSettings = {};
  run([] { EXPECT_EQ(get_dimstyle(L"plan"), RTNORM); });
  EXPECT_EQ(std::wstring(DimSettings.style_name), L"Plan");
  EXPECT_DOUBLE_EQ(DimSettings.ext_length, 0.05);
  EXPECT_DOUBLE_EQ(DimSettings.chain_spacing, 0.6);
  EXPECT_EQ(text_var(L"DIMSTYLE"), L"Plan");
  ASSERT_EQ(carriers().size(), 2u);
  run([] {
    DimSettings.ext_length = 0.07;
    set_dimstyle(DimSettings.style_name);
  });
  for (const Name& carrier : carriers()) {
    const CarrierData data = carrier_data(carrier);
    EXPECT_DOUBLE_EQ(data.reals[2], data.style == L"STANDARD" ? 0.05 : 0.07) << data.style;
  }
}

TEST_F(SettingsTest, UnnamedStandsForStandardInAnyCase) {
  run([] {
    get_dimstyle(L"STANDARD");
    copy_text(DimSettings.style_name, kStyleNameLength, L"x");
    EXPECT_EQ(get_dimstyle(L"*unNamed"), RTNORM);
  });
  EXPECT_EQ(std::wstring(DimSettings.style_name), L"STANDARD");
}

TEST_F(SettingsTest, MissingStyleChangesNothing) {
  DimSettings.chain_spacing = 9.0;
  const std::string drawing = saved_bytes();
  run([] { EXPECT_EQ(get_dimstyle(L"NIRGENDS"), RTERROR); });
  EXPECT_NE(transcript().find("Stil \"NIRGENDS\" nicht in Zeichnung gefunden !"),
            std::string::npos);
  EXPECT_TRUE(saved_bytes() == drawing);
  EXPECT_DOUBLE_EQ(DimSettings.chain_spacing, 9.0);
  EXPECT_TRUE(carriers().empty());
}

// A carrier another program changed (values missing or of other types) is reported once, its
// style takes the template's values or the defaults, and every carrier is sound afterwards, one
// per style: the command goes on.
struct DamageCase {
  const char* name;
  const wchar_t* damaged;  // the style of the damaged carrier
  std::vector<int> items;  // what follows its style name
  bool sound_template;     // a STANDARD carrier with ext_length 0.05 besides
  const wchar_t* requested;
  double ext_length;
  size_t carriers;
};

void PrintTo(const DamageCase& c, std::ostream* out) { *out << c.name; }

class DamagedCarrierTest : public SettingsTest, public ::testing::WithParamInterface<DamageCase> {
 protected:
  static void damaged_carrier(const wchar_t* style, const std::vector<int>& items) {
    acdbRegApp(L"TAV");
    ads_point origin = {0, 0, 0};
    RbList block(acutBuildList(RTDXF0, L"BLOCK", 2, L"*U", 70, 1, 10, origin, 0));
    acdbEntMake(block.get());
    RbList end(acutBuildList(RTDXF0, L"ENDBLK", 0));
    acdbEntMake(end.get());
    ACHAR name[20];
    acedGetInput(name, 20);
    RbList insert(acutBuildList(RTDXF0, L"INSERT", 2, name, 10, origin, 0));
    acdbEntMake(insert.get());
    ads_name carrier;
    acdbEntLast(carrier);
    RbList data(acdbEntGet(carrier));
    resbuf* tail = acutNewRb(-3);
    rb_append(data.get(), tail);
    tail = tail->rbnext = new_text_node(1001, L"TAV");
    tail = tail->rbnext = new_text_node(1000, style);
    for (int type : items)
      tail = tail->rbnext = type == 1000 ? new_text_node(1000, L"x") : acutNewRb(type);
    acdbEntMod(data.get());
  }
};

TEST_P(DamagedCarrierTest, IsReportedOnceAndReplaced) {
  const DamageCase& c = GetParam();
  run([&c] {
    make_style(L"Plan");
    if (c.sound_template) {
      get_dimstyle(L"STANDARD");
      DimSettings.ext_length = 0.05;
      set_dimstyle(DimSettings.style_name);
    }
    damaged_carrier(c.damaged, c.items);
  });
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(run([&c] { EXPECT_EQ(get_dimstyle(c.requested), RTNORM); }),
              cad::CommandResult::kDone);
    EXPECT_DOUBLE_EQ(DimSettings.ext_length, c.ext_length);
  }
  const std::string said = transcript();
  const std::string message = "\nEinstellungen des Stils \"" + cad::to_utf8(c.damaged) +
                              "\" waren beschaedigt und wurden ersetzt !";
  EXPECT_NE(said.find(message), std::string::npos) << said;
  EXPECT_EQ(said.find("beschaedigt"), said.rfind("beschaedigt")) << said;
  EXPECT_EQ(carriers().size(), c.carriers);
  for (const Name& carrier : carriers()) {
    const CarrierData data = carrier_data(carrier);
    EXPECT_EQ(data.reals.size(), 4u) << data.style;
    EXPECT_EQ(data.shorts.size(), 2u) << data.style;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedCarrierTest,
    ::testing::Values(
        DamageCase{"OwnStandardCarrier", L"STANDARD", {1040, 1070}, false, L"STANDARD", 0.1, 1},
        DamageCase{"CutShortWithATemplate", L"Plan", {1040, 1040, 1040}, true, L"Plan", 0.05, 2},
        DamageCase{"TextAmongTheValues",
                   L"Plan",
                   {1040, 1040, 1040, 1040, 1000, 1070},
                   false,
                   L"Plan",
                   0.1,
                   1},
        // The template is repaired too, so that the next style without a carrier says nothing.
        DamageCase{"DamagedTemplate", L"STANDARD", {1070}, false, L"Plan", 0.1, 2}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

}  // namespace
