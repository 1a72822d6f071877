// The host's dialog functions as a module calls them: DCL files found and read, tiles set and
// read, callbacks fired by script replies, and how a dialog ends.
#include <filesystem>

#include "cad/dialogs/dialog.h"
#include "host/adsdlg.h"
#include "tests/support/files.h"
#include "tests/support/host_fixture.h"

namespace {

namespace fs = std::filesystem;

// What the callbacks of a test saw: the values in order, the last packet (its value is gone with
// the callback) and where the dialog was left.
struct Seen {
  std::vector<std::wstring> values;
  ads_callback_packet last{};
  int x = 0, y = 0;
};

Seen* g_seen = nullptr;

void record(ads_callback_packet* packet) {
  g_seen->values.push_back(packet->value);
  g_seen->last = *packet;
}

void accept(ads_callback_packet* packet) {
  ads_done_positioned_dialog(packet->dialog, DLGOK, &g_seen->x, &g_seen->y);
}

class HostDialogs : public cad::testing::HostFixture {
 protected:
  // Every test finds the dialog "size" (size.dcl beside this file) in its folder.
  HostDialogs() {
    g_seen = &seen_;
    fs::copy_file(DULK_SOURCE_DIR "/tests/host/size.dcl", dir_ / "size.dcl");
  }
  ~HostDialogs() override { g_seen = nullptr; }

  int load(const fs::path& path) {
    int id = -1;
    EXPECT_EQ(ads_load_dialog(path.wstring().c_str(), &id), RTNORM);
    return id;
  }

  int start(ads_hdlg dialog) {
    int status = -99;
    EXPECT_EQ(ads_start_dialog(dialog, &status), RTNORM);
    return status;
  }

  std::wstring tile(ads_hdlg dialog, const wchar_t* key, int maxlen = MAX_TILE_STR) {
    wchar_t value[MAX_TILE_STR] = L"unchanged";
    EXPECT_EQ(ads_get_tile(dialog, key, value, maxlen), RTNORM);
    return value;
  }

  Seen seen_;
  cad::testing::TempDir dir_;
};

TEST_F(HostDialogs, TilesStartWithTheirDclValuesAndTakeNewOnes) {
  ads_hdlg dialog = nullptr;
  ASSERT_EQ(ads_new_dialog(L"size", load(dir_ / "size.dcl"), NULLCB, &dialog), RTNORM);
  EXPECT_EQ(tile(dialog, L"width"), L"10");
  EXPECT_EQ(tile(dialog, L"round"), L"0");
  EXPECT_EQ(ads_set_tile(dialog, L"width", L"12.5"), RTNORM);
  EXPECT_EQ(tile(dialog, L"width"), L"12.5");
  EXPECT_EQ(ads_set_tile(dialog, L"height", L"1"), RTERROR);
  wchar_t value[8];
  EXPECT_EQ(ads_get_tile(dialog, L"height", value, 8), RTERROR);
  EXPECT_EQ(ads_mode_tile(dialog, L"width", 7), RTERROR);
  // get_tile cuts to the buffer in characters, not bytes.
  ads_set_tile(dialog, L"width", L"Länge über");
  EXPECT_EQ(tile(dialog, L"width", 4), L"Län");
  EXPECT_EQ(tile(dialog, L"width", 1), L"");
  EXPECT_EQ(tile(dialog, L"width", 11), L"Länge über");
  EXPECT_EQ(ads_get_tile(dialog, L"width", value, 0), RTERROR);
}

// The default callback answers for tiles without their own.
TEST_F(HostDialogs, EditReplyFiresTheTileCallbackWithValueAndClientDataElseTheDefaultCallback) {
  ads_hdlg dialog = nullptr;
  ASSERT_EQ(ads_new_dialog(L"size", load(dir_ / "size.dcl"), record, &dialog), RTNORM);
  int data = 7;
  ASSERT_EQ(ads_action_tile(dialog, L"width", record), RTNORM);
  ASSERT_EQ(ads_client_data_tile(dialog, L"width", &data), RTNORM);
  replies("round\nwidth=25 mm\nCancel\n");
  EXPECT_EQ(start(dialog), DLGCANCEL);
  EXPECT_EQ(seen_.values, (std::vector<std::wstring>{L"1", L"25 mm"}));
  EXPECT_EQ(seen_.last.client_data, &data);
  EXPECT_EQ(seen_.last.reason, CBR_SELECT);
  EXPECT_EQ(seen_.last.dialog, dialog);
  EXPECT_NE(seen_.last.tile, nullptr);
}

// Accept ends with OK, and done_positioned reports where the dialog was left; Cancel, Esc and the
// end of the script end with Cancel, and nothing is reported. The handle ends with start_dialog.
TEST_F(HostDialogs, EachWayOfEndingGivesItsStatusAndTheHandleEnds) {
  int id = load(dir_ / "size.dcl");
  const struct {
    bool positioned;
    const char* replies;
    int status, x, y;
  } cases[] = {
      {false, "width=30\nOK\n", DLGOK, cad::kDefaultDialogPosition.x,
       cad::kDefaultDialogPosition.y},
      {true, "OK\n", DLGOK, 30, 40},
      {true, "MOVE 200,150\nOK\n", DLGOK, 200, 150},
      {false, "Cancel\n", DLGCANCEL, 0, 0},
      {true, "^C\n", DLGCANCEL, 0, 0},
      {false, "", DLGCANCEL, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.replies);
    seen_.x = seen_.y = 0;
    ads_hdlg dialog = nullptr;
    ASSERT_EQ(c.positioned ? ads_new_positioned_dialog(L"size", id, NULLCB, 30, 40, &dialog)
                           : ads_new_dialog(L"size", id, NULLCB, &dialog),
              RTNORM);
    ads_action_tile(dialog, L"accept", accept);
    replies(c.replies);
    EXPECT_EQ(start(dialog), c.status);
    EXPECT_EQ(seen_.x, c.x);
    EXPECT_EQ(seen_.y, c.y);
    wchar_t value[8];
    EXPECT_EQ(ads_get_tile(dialog, L"width", value, 8), RTERROR);
    int status = 0;
    EXPECT_EQ(ads_start_dialog(dialog, &status), RTERROR);
  }
}

TEST_F(HostDialogs, MissingFileOrSyntaxErrorGivesRtErrorAndNoIdAndTheErrorsLine) {
  dir_.write("bad.dcl", "bad : dialog {\n  label = \"Bad\";\n  : button { key }\n}\n");
  for (const char* file : {"none.dcl", "bad.dcl"}) {
    int id = 5;
    EXPECT_EQ(ads_load_dialog((dir_ / file).wstring().c_str(), &id), RTERROR) << file;
    EXPECT_LT(id, 0) << file;
  }
  EXPECT_NE(transcript().find("bad.dcl:3:"), std::string::npos) << transcript();
}

TEST_F(HostDialogs, FileIsFoundInTheCurrentFolderWithoutItsExtensionOrBesideTheExecutable) {
  fs::path beside = fs::read_symlink("/proc/self/exe").parent_path() /
                    ("dulk-beside-" + std::to_string(getpid()) + ".dcl");
  fs::copy_file(dir_ / "size.dcl", beside, fs::copy_options::overwrite_existing);
  fs::path before = fs::current_path();
  fs::current_path(dir_.path());
  EXPECT_GT(load("size"), 0);
  EXPECT_GT(load(beside.filename()), 0);
  fs::current_path(before);
  fs::remove(beside);
}

TEST_F(HostDialogs, UnloadedFileOrUnknownNameShowsNoDialogAndTheIdIsReused) {
  const fs::path file = dir_ / "size.dcl";
  int first = load(file);
  int second = load(file);
  EXPECT_NE(first, second);
  EXPECT_EQ(ads_unload_dialog(first), RTNORM);
  EXPECT_EQ(ads_unload_dialog(first), RTERROR);
  ads_hdlg dialog = nullptr;
  EXPECT_EQ(ads_new_dialog(L"size", first, NULLCB, &dialog), RTERROR);
  EXPECT_EQ(load(file), first);
  // Names are matched exactly; an unknown name or id gives no handle.
  dialog = &first;
  EXPECT_EQ(ads_new_dialog(L"Size", first, NULLCB, &dialog), RTERROR);
  EXPECT_EQ(dialog, nullptr);
  dialog = &first;
  EXPECT_EQ(ads_new_dialog(L"size", second + 1, NULLCB, &dialog), RTERROR);
  EXPECT_EQ(dialog, nullptr);
}

}  // namespace
