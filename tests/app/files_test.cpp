// What dulk reads and writes: drawings that cannot be read, saving (never over the opened
// drawing unless -o names it, never leaving a half-written file), and pictures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/app/dulk_run.h"

namespace dulk::testing {
namespace {

using ::testing::HasSubstr;

TEST(ReadingFiles, MissingDrawingIsOneMessageNamingIt) {
  ScratchFolder folder;
  DulkRun run = run_dulk(folder, "--no-module missing.dxf");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "dulk: cannot read missing.dxf: no such file or directory\n");
  EXPECT_EQ(run.out, "");
}

TEST(ReadingFiles, FolderGivenAsDrawingOrScriptIsRefusedNotACrash) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder / "plans");
  DulkRun drawing = run_dulk(folder, "--no-module plans");
  EXPECT_EQ(drawing.status, 1);
  EXPECT_EQ(drawing.err, "dulk: cannot read plans: is a folder, not a file\n");
  DulkRun script = run_dulk(folder, "--no-module -s plans");
  EXPECT_EQ(script.status, 1);
  EXPECT_EQ(script.err, "dulk: cannot read plans: is a folder, not a file\n");
}

TEST(ReadingFiles, MalformedDrawingNamesTheFileAndTheLine) {
  ScratchFolder folder;
  std::string broken = kDrawing;
  broken.replace(broken.find("10\n5\n"), 5, "10\nabc\n");
  folder.write("bad.dxf", broken);
  DulkRun run = run_dulk(folder, "--no-module bad.dxf");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("dulk: bad.dxf: line 10: "));
  EXPECT_EQ(run.out, "");
}

TEST(ReadingFiles, MissingScriptIsOneMessageNamingIt) {
  ScratchFolder folder;
  DulkRun run = run_dulk(folder, "--no-module -s job.scr");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "dulk: cannot read job.scr: no such file or directory\n");
}

TEST(Saving, SaveRefusesToWriteOverTheOpenedDrawing) {
  ScratchFolder folder;
  folder.write("plan.dxf", kDrawing);
  // The failure is reported at the reply that named the file, or at SAVE that took it as given.
  const std::pair<const char*, const char*> cases[] = {{"SAVE\n", "line 5: "},
                                                       {"SAVEAS\nplan.dxf\n", "line 6: "},
                                                       {"SAVEAS\n./plan.dxf\n", "line 6: "}};
  for (const auto& [save, line] : cases) {
    folder.write("job.scr", std::string(kLineScript) + save);
    DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr");
    EXPECT_EQ(run.status, 1) << save;
    EXPECT_THAT(run.err,
                HasSubstr(std::string(line) + "cannot save: not writing over the opened drawing"))
        << save;
    EXPECT_EQ(folder.read("plan.dxf"), kDrawing) << save;
  }
}

TEST(Saving, SaveWritesOverTheOpenedDrawingWhenOutputNamesIt) {
  ScratchFolder folder;
  folder.write("plan.dxf", kDrawing);
  folder.write("job.scr", std::string(kLineScript) + "SAVE\n");
  DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr -o plan.dxf");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("Saved plan.dxf"));
  auto lines = lines_in(folder / "plan.dxf");
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(lines->size(), 2u);
}

TEST(Saving, SaveAfterSaveAsWritesTheNewName) {
  ScratchFolder folder;
  folder.write("plan.dxf", kDrawing);
  folder.write("job.scr", "SAVEAS\ncopy.dxf\n" + std::string(kLineScript) + "SAVE\n");
  DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr");
  ASSERT_EQ(run.status, 0) << run.err;
  auto lines = lines_in(folder / "copy.dxf");
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(lines->size(), 2u);
  EXPECT_EQ(folder.read("plan.dxf"), kDrawing);
}

TEST(Saving, FailedSaveLeavesTheOriginalAndNoStrayFiles) {
  ScratchFolder folder;
  folder.write("plan.dxf", kDrawing);
  folder.write("job.scr", kLineScript);
  const auto before = folder.listing();
  DulkRun at_end = run_dulk(folder, "--no-module plan.dxf -s job.scr -o gone/plan.dxf");
  EXPECT_EQ(at_end.status, 1);
  EXPECT_THAT(at_end.err, HasSubstr("cannot save gone/plan.dxf: "));

  folder.write("job.scr", std::string(kLineScript) + "SAVEAS\ngone/plan.dxf\n");
  DulkRun in_script = run_dulk(folder, "--no-module plan.dxf -s job.scr");
  EXPECT_EQ(in_script.status, 1);
  EXPECT_THAT(in_script.err, HasSubstr("line 6: cannot save gone/plan.dxf: "));

  EXPECT_EQ(folder.read("plan.dxf"), kDrawing);
  EXPECT_EQ(folder.listing(), before);
}

TEST(Pictures, SvgAndPngShowTheDrawing) {
  ScratchFolder folder;
  folder.write("plan.dxf", kDrawing);
  folder.write("job.scr", kLineScript);
  DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr --svg plan.svg --png plan.png");
  ASSERT_EQ(run.status, 0) << run.err;
  auto svg = folder.read("plan.svg");
  ASSERT_TRUE(svg.has_value());
  EXPECT_NE(svg->find("<svg"), std::string::npos);
  EXPECT_EQ(occurrences(*svg, "<path"), 2u) << *svg;
  auto png = folder.read("plan.png");
  ASSERT_TRUE(png.has_value());
  EXPECT_EQ(png->substr(0, 8), "\x89PNG\r\n\x1a\n");
  // The picture the converter read was dulk's own, not left behind.
  EXPECT_EQ(folder.listing(),
            (std::vector<std::string>{"job.scr", "plan.dxf", "plan.png", "plan.svg"}));
}

TEST(Pictures, PngAloneLeavesNoSvgBehind) {
  ScratchFolder folder;
  DulkRun run = run_dulk(folder, "--no-module --png only.png", kLineScript);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(folder.listing(), std::vector<std::string>{"only.png"});
}

}  // namespace
}  // namespace dulk::testing
