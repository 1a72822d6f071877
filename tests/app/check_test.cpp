// dulk --check: drawings made and edited through the host and the module, checked by the
// module's BemUpd; the exit status, the stale chains and the summary, and files left as they were.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cad/db/database.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "tests/app/dulk_run.h"
#include "tests/support/case_file.h"

namespace dulk::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// "N: CODE=X,Y": the group CODE of the Nth dimension (drawing order) becomes that point, as
// acdbEntMod would make it; the drawing is saved again.
void edit_dimension(const fs::path& dxf, const std::string& edit) {
  int nth = 0, code = 0;
  double x = 0, y = 0;
  ASSERT_EQ(std::sscanf(edit.c_str(), "%d: %d=%lf,%lf", &nth, &code, &x, &y), 4) << edit;
  cad::ReadResult read = cad::read_dxf_file(dxf.string());
  ASSERT_TRUE(read.db) << read.error;
  cad::Database& db = *read.db;
  for (cad::RecordId id : db.entities()) {
    if (db.erased(id) || db.record(id).type != "DIMENSION" || --nth > 0) continue;
    cad::Record rec = db.record(id);
    rec.set(cad::Group::point(code, {x, y, 0}));
    db.replace(id, std::move(rec));
    std::string error;
    ASSERT_TRUE(cad::save_dxf(db, dxf.string(), &error)) << error;
    return;
  }
  FAIL() << "no dimension for " << edit;
}

TEST(Check, EachCaseSaysWhatBemUpdWouldChange) {
  for (const cad::testing::CaseLine& c : cad::testing::read_cases("app/check_cases.txt")) {
    SCOPED_TRACE(c.where + " " + c.fields.at(0));
    ASSERT_GE(c.fields.size(), 6u);
    ScratchFolder folder{{"make.scr", script_of(c, 5)}};
    DulkRun made = run_dulk(folder, "-q -s make.scr -o d.dxf");
    ASSERT_EQ(made.status, 0) << made.err;
    if (c.fields[4] != "-") edit_dimension(folder / "d.dxf", c.fields[4]);
    DulkRun run = run_dulk(folder, "--check d.dxf");
    EXPECT_EQ(run.status, std::stoi(c.fields[1])) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string stale = c.fields[2] == "-" ? "" : c.fields[2] + "\n";
    EXPECT_EQ(run.out, stale + c.fields[3] + "\n");
  }
}

// Several drawings in one run: the summary counts them all, a drawing that cannot be read exits
// 2 with the others still checked, and no file is changed or added.
TEST(Check, ManyDrawingsAreCountedTheUnreadableNamedAndNoFileChanges) {
  ScratchFolder folder;
  folder.write("make.scr",
               "Dulk\n0,0\n10,0\n25,0\n\n0,-1\n0\nSAVEAS\ncurrent.dxf\n"
               "_stretch\n_c\n24,-2\n26,0\n\n0,0\n5,0\nSAVEAS\nstale.dxf\n"
               "ERASE\nALL\n\nSAVEAS\nnone.dxf\n");
  ASSERT_EQ(run_dulk(folder, "-q -s make.scr").status, 0);
  fs::create_directory(folder / "folder.dxf");
  const std::vector<std::string> drawings = {"current.dxf", "stale.dxf", "none.dxf"};
  std::map<std::string, std::pair<std::string, fs::file_time_type>> before;
  for (const std::string& name : drawings)
    before[name] = {folder.read(name).value_or(""), fs::last_write_time(folder / name)};
  const std::string listing = folder.listing();

  DulkRun run =
      run_dulk(folder, "--check current.dxf missing.dxf stale.dxf folder.dxf none.dxf stale.dxf");
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("cannot read missing.dxf: no such file or directory"));
  EXPECT_THAT(run.err, HasSubstr("cannot read folder.dxf: is a folder, not a file"));
  const std::string stale = "stale.dxf: chain $2C, layer 0, from 0,-1: 15.00 → 20.00\n";
  EXPECT_EQ(run.out, stale + stale + "4 drawings, 3 chains, 2 stale, 2 unreadable\n");

  for (const std::string& name : drawings) {
    EXPECT_EQ(folder.read(name).value_or(""), before[name].first) << name;
    EXPECT_EQ(fs::last_write_time(folder / name), before[name].second) << name;
  }
  EXPECT_EQ(folder.listing(), listing);
  // Quiet: the exit status alone.
  DulkRun quiet = run_dulk(folder, "--check -q stale.dxf");
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.out, "");
}

}  // namespace
}  // namespace dulk::testing
