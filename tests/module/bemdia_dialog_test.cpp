// BemDia in the stand-in host with the built module: the tiles it shows, what OK and Cancel store
// in the drawing, the position it keeps between runs, a missing dialog file, and settings that
// leave the range of numbers. Chains made with the settings entered: command_cases.txt.
#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include "cad/dialogs/dialog.h"
#include "tests/support/chain_fixture.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kTitle = "Bemaßungsketten – Einstellungen";
constexpr const char* kInputError = " Eingabefehler: Bitte Wert > 0.0 eingeben!";

// A person at a terminal typing the script's lines: the dialog shows its form before each reply.
class PersonTyping : public cad::ScriptSource {
 public:
  explicit PersonTyping(const std::string& text) : ScriptSource(text, "typed") {}
  bool interactive() const override { return true; }
};

using Position = std::pair<int32_t, int32_t>;

class BemDiaTest : public ChainFixture {
 protected:
  int bemdia(const std::string& replies) { return script("BemDia\n" + replies); }

  // Runs the script as typed at a terminal.
  int typed(const std::string& text) {
    host().set_reply_source(std::make_unique<PersonTyping>(text));
    return host().command_loop();
  }

  // Each edit box of the last form shown, by label: its value as shown ("  N  label   [value]").
  std::map<std::string, std::string> last_form() {
    std::map<std::string, std::string> tiles;
    const std::string text = transcript();
    const size_t start = text.rfind(kTitle);
    std::istringstream in(start == std::string::npos ? "" : text.substr(start));
    static const std::regex tile(R"(^[ 0-9]*(.*\S)  +\[(.*)\]$)");
    std::smatch m;
    for (std::string line; std::getline(in, line);)
      if (std::regex_match(line, m, tile)) tiles[m[1]] = m[2];
    return tiles;
  }

  // A real group of the dimension style's table entry.
  static double style_real(const wchar_t* style, int code) {
    RbList entry(acdbTblSearch(L"DIMSTYLE", style, 0));
    const resbuf* group = rb_assoc(entry.get(), code);
    return group != nullptr ? group->resval.rreal : -1.0;
  }

  // Gives the current style "STANDARD" the value of a real dimension variable.
  void save_standard_with(const wchar_t* variable, double value) {
    run([variable, value] {
      set_real_var(variable, value);
      acedCommandS(RTSTR, L"_dim1", RTSTR, L"_save", RTSTR, L"STANDARD", RTSTR, L"_Yes", RTNONE);
    });
  }

  // The dialog's place as the loaded module keeps it (dlg_x, dlg_y).
  static Position kept_position() {
    void* handle = dlopen(DULK_BINARY_DIR "/DulkArx.arx", RTLD_NOW | RTLD_NOLOAD);
    const auto* x = static_cast<const int32_t*>(handle ? dlsym(handle, "dlg_x") : nullptr);
    const auto* y = static_cast<const int32_t*>(handle ? dlsym(handle, "dlg_y") : nullptr);
    if (handle != nullptr) dlclose(handle);
    EXPECT_TRUE(x != nullptr && y != nullptr) << "the module is not loaded or keeps no place";
    return x != nullptr && y != nullptr ? Position(*x, *y) : Position(0, 0);
  }
};

TEST_F(BemDiaTest, DrawingWithoutCarriersShowsTheDefaultsAndTheStylesRounding) {
  save_standard_with(L"DIMRND", 0.25);
  ASSERT_EQ(typed("BemDia\nOK\n"), 0) << transcript();
  const std::map<std::string, std::string> expected = {{"Längenfaktor", "1"},
                                                       {"Hochgestellt ab Stelle", "2"},
                                                       {"Führende Null (0/1)", "0"},
                                                       {"Abstand Bezugslinie - Masslinie", "0.2"},
                                                       {"Länge innere Hilfslinien", "0.1"},
                                                       {"Abstand paralleler Ketten", "0.3"},
                                                       {"Mindestanzahl Nachkommastellen", "2"},
                                                       {"Rundung", "0.25"}};
  EXPECT_EQ(last_form(), expected) << transcript();
  EXPECT_EQ(transcript().find(kInputError, transcript().rfind(kTitle)), std::string::npos);
  EXPECT_EQ(only_carrier().style, L"STANDARD");
  EXPECT_DOUBLE_EQ(real_var(L"DIMRND"), 0.25);
}

TEST_F(BemDiaTest, OkStoresEveryTileOnTheCarrierAndTheRoundingInTheStyle) {
  ASSERT_EQ(bemdia("qrm01=100\nqrm02=1\nqrm03=1\nqrm04=0.5\nqrm05=0.25\nqrm06=0.75\nqrm07=3\n"
                   "qrm09=0.05\nOK\n"),
            0)
      << transcript();
  const CarrierData saved = only_carrier();
  EXPECT_EQ(saved.reals, (std::vector<double>{0.75, 0.5, 0.25, 100.0}));
  EXPECT_EQ(saved.shorts, (std::vector<short>{3, 1}));
  EXPECT_DOUBLE_EQ(real_var(L"DIMRND"), 0.05);
  EXPECT_DOUBLE_EQ(style_real(L"STANDARD", 45), 0.05);

  // The next opening shows what was stored.
  ASSERT_EQ(typed("BemDia\nCancel\n"), 0) << transcript();
  const std::map<std::string, std::string> form = last_form();
  EXPECT_EQ(form.at("Längenfaktor"), "100");
  EXPECT_EQ(form.at("Führende Null (0/1)"), "1");
  EXPECT_EQ(form.at("Abstand paralleler Ketten"), "0.75");
  EXPECT_EQ(form.at("Rundung"), "0.05");
}

TEST_F(BemDiaTest, CancelKeepsTheSettingsButSavesTheStyleWithoutBaselineSpacing) {
  ASSERT_EQ(bemdia("qrm04=0.5\nOK\n"), 0) << transcript();
  save_standard_with(L"DIMDLI", 5.0);
  ASSERT_DOUBLE_EQ(style_real(L"STANDARD", 43), 5.0);
  const double rounding = real_var(L"DIMRND");
  ASSERT_EQ(bemdia("qrm04=7\nqrm07=5\nqrm09=0.5\nCancel\n"), 0) << transcript();
  const CarrierData saved = only_carrier();
  EXPECT_EQ(saved.reals, (std::vector<double>{0.3, 0.5, 0.1, 1.0}));
  EXPECT_EQ(saved.shorts, (std::vector<short>{2, 2}));
  EXPECT_DOUBLE_EQ(real_var(L"DIMRND"), rounding);
  EXPECT_DOUBLE_EQ(real_var(L"DIMDLI"), 0.0);
  EXPECT_DOUBLE_EQ(style_real(L"STANDARD", 43), 0.0);
}

TEST_F(BemDiaTest, PlaceOfTheLastOkComesBackAtTheNextOpening) {
  EXPECT_EQ(kept_position(), Position(-1, -1));
  ASSERT_EQ(bemdia("OK\n"), 0) << transcript();
  EXPECT_EQ(kept_position(),
            Position(cad::kDefaultDialogPosition.x, cad::kDefaultDialogPosition.y));
  ASSERT_EQ(bemdia("MOVE 300,200\nOK\n"), 0) << transcript();
  EXPECT_EQ(kept_position(), Position(300, 200));
  // Left where it opened: the place of the last OK.
  ASSERT_EQ(bemdia("OK\n"), 0) << transcript();
  EXPECT_EQ(kept_position(), Position(300, 200));
  ASSERT_EQ(bemdia("MOVE 10,20\nCancel\n"), 0) << transcript();
  EXPECT_EQ(kept_position(), Position(300, 200));
}

// A rounding step so fine, or a length factor so large, that a measurement leaves the range of
// numbers gives no text "inf": the command says so and draws no chain, whether the setting was
// just entered or comes with a carrier the drawing was read with. The last gap alone overflows,
// so no part of the chain stays either.
TEST_F(BemDiaTest, SettingsThatTakeAMeasurementOutOfRangeDrawNoChain) {
  const char* const kOutOfRange =
      "Masszahl zu gross fuer Rundung oder Laengenfaktor, keine Masskette !";
  ASSERT_EQ(bemdia("qrm09=1e-320\nOK\n"), 0) << transcript();
  script("Dulk\n0,0\n10,0\n\n0,-1\n0\n");
  EXPECT_EQ(count_lines(kOutOfRange), 1u) << transcript();
  EXPECT_TRUE(chains().empty());

  ASSERT_EQ(bemdia("qrm09=0\nqrm01=1e308\nOK\n"), 0) << transcript();
  cad::ReadResult read = cad::read_dxf(cad::write_dxf(host().db()), "saved");
  ASSERT_TRUE(read.db) << read.error;
  host().set_db(std::move(read.db));
  script("Dulk\n0,0\n1,0\n25,0\n\n0,-1\n0\n");
  EXPECT_EQ(count_lines(kOutOfRange), 2u) << transcript();
  EXPECT_TRUE(chains().empty());
}

// The dialog run from another folder than the module's.
class BemDiaFolderTest : public BemDiaTest {
 protected:
  void SetUp() override {
    BemDiaTest::SetUp();
    fs::create_directories(folder_ / "cwd");
    fs::current_path(folder_ / "cwd");
  }
  void TearDown() override {
    fs::current_path(previous_);
    BemDiaTest::TearDown();
  }

  // The drawing as saved after STANDARD got its settings and then a DIMDLI of 5: only the close
  // of the dialog saves the style again (and with DIMDLI 0).
  std::string style_with_settings_and_spacing() {
    run([] {
      dim_prepare();
      get_dimstyle(L"STANDARD");
    });
    save_standard_with(L"DIMDLI", 5.0);
    return saved_bytes();
  }

  // BemDia says the message and leaves the drawing as before, DIMDLI too.
  void expect_refused(const std::string& message, const std::string& before) {
    ASSERT_EQ(script("BemDia\n"), 0) << transcript();
    EXPECT_NE(transcript().find(message), std::string::npos) << transcript();
    EXPECT_EQ(saved_bytes(), before);
    EXPECT_DOUBLE_EQ(real_var(L"DIMDLI"), 5.0);
  }

  const fs::path previous_ = fs::current_path();
  const cad::testing::TempDir folder_;
};

TEST_F(BemDiaFolderTest, DialogFileIsFoundBesideTheModule) {
  ASSERT_EQ(bemdia("qrm04=0.5\nOK\n"), 0) << transcript();
  EXPECT_EQ(transcript().find("Error loading"), std::string::npos) << transcript();
  EXPECT_EQ(only_carrier().reals, (std::vector<double>{0.3, 0.5, 0.1, 1.0}));
}

TEST_F(BemDiaFolderTest, MissingDialogFileIsReportedAndNothingIsSaved) {
  std::string error;
  ASSERT_TRUE(host().modules().unload(DULK_BINARY_DIR "/DulkArx.arx", &error)) << error;
  fs::create_directories(folder_ / "module");
  const fs::path copy = folder_ / "module" / "DulkArx.arx";
  fs::copy_file(DULK_BINARY_DIR "/DulkArx.arx", copy);
  ASSERT_TRUE(host().modules().load(copy.string(), &error)) << error;
  expect_refused("Error loading \"dulk.dcl\"\n", style_with_settings_and_spacing());
}

// A file of that name in the current folder comes first, even when it lacks the dialog.
TEST_F(BemDiaFolderTest, FileWithoutTheDialogIsReportedAndNothingIsSaved) {
  std::ofstream(folder_ / "cwd" / "dulk.dcl") << "other : dialog { ok_only; }\n";
  expect_refused("Fehler: load dialog function failed\n", style_with_settings_and_spacing());
}

}  // namespace
