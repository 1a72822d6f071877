// What dulk reads and writes: drawings that cannot be read, saving (the saving commands keep a
// backup, the end of a run writes over the opened drawing only when -o names it), where every
// writer writes (links followed, what is no file refused, never a half-written file), and
// pictures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cad/dxf/reader.h"
#include "cad/dxf/tags.h"
#include "cad/dxf/writer.h"
#include "tests/app/dulk_run.h"
#include "tests/support/case_file.h"
#include "tests/support/terminal.h"

namespace dulk::testing {
namespace {

using ::testing::HasSubstr;

// kDrawing with a coordinate that is no number, on line 10.
std::string malformed_drawing() {
  std::string broken = kDrawing;
  broken.replace(broken.find("10\n5\n"), 5, "10\nabc\n");
  return broken;
}

// The cases of unreadable_cases.txt.
TEST(ReadingFiles, MissingFileOrFolderIsOneMessageNamingIt) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder / "plans");
  folder.write("bad.dxf", malformed_drawing());
  const std::vector<cad::testing::CaseLine> cases =
      cad::testing::read_cases("app/unreadable_cases.txt");
  for (const cad::testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    ASSERT_EQ(c.fields.size(), 2u);
    DulkRun run = run_dulk(folder, "--no-module " + c.fields[0]);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, c.fields[1]);
    EXPECT_EQ(run.out, "");
  }
}

TEST(ReadingFiles, RecoverReadsWhatCanBeReadAndSaysWhatItMended) {
  ScratchFolder folder;
  folder.write("bad.dxf", malformed_drawing());
  DulkRun run = run_dulk(folder, "--no-module --recover bad.dxf -o out.dxf");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("\nDrawing recovery.\n"));
  EXPECT_THAT(run.out,
              HasSubstr("\ngroups whose value has the wrong type left out: 1\nTotal errors "
                        "found 1 fixed 1"));
  EXPECT_EQ(count_entities(folder / "out.dxf", "LINE"), 1u);

  // RECOVER asks about the changes of the open drawing first; answered No, the drawing recovered
  // is the one the run ends with, and the other is left as it was.
  folder.write("plan.dxf", kDrawing);
  folder.write("recover.scr", std::string(kLineScript) + "RECOVER\nbad.dxf\nNo\n");
  run = run_dulk(folder, "--no-module plan.dxf -s recover.scr -o out2.dxf");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("Enter name of drawing to recover: "));
  EXPECT_THAT(run.out, HasSubstr("Save changes to"));
  EXPECT_THAT(run.out, HasSubstr("Total errors found 1 fixed 1"));
  const std::optional<std::vector<Segment>> lines = lines_in(folder / "out2.dxf");
  ASSERT_TRUE(lines);
  ASSERT_EQ(lines->size(), 1u);
  EXPECT_EQ(lines->front().to, (cad::Vec3{6, 6, 0}));
  EXPECT_EQ(folder.read("plan.dxf"), kDrawing);
}

// The cases of saving_cases.txt.
TEST(Saving, SavingCommandsAndTheEndOfTheRunWriteWhereTheySay) {
  const std::vector<cad::testing::CaseLine> cases =
      cad::testing::read_cases("app/saving_cases.txt");
  for (const cad::testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    ASSERT_GE(c.fields.size(), 5u);
    ScratchFolder folder;
    folder.write("plan.dxf", kDrawing);
    std::string script;
    for (size_t k = 4; k < c.fields.size(); ++k) script += c.fields[k] + "\n";
    folder.write("job.scr", script);
    DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr " + c.fields[0]);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr(c.fields[2]));
    if (c.fields[1] != "none") {
      EXPECT_EQ(lines_in(folder / c.fields[1]).value_or(std::vector<Segment>{}).size(), 2u);
    }
    std::string listing;
    for (const std::string& name : folder.listing()) listing += (listing.empty() ? "" : " ") + name;
    EXPECT_EQ(listing, c.fields[3]);
    if (c.fields[1] != "plan.dxf") {
      EXPECT_EQ(folder.read("plan.dxf"), kDrawing);
    }
    if (c.fields[3].find("plan.bak") != std::string::npos) {
      EXPECT_EQ(folder.read("plan.bak"), kDrawing);
    }
  }
}

bool binary_file(const ScratchFolder& folder, std::string_view name) {
  return folder.read(name).value_or("").starts_with(cad::kBinarySentinel);
}

// A binary drawing stays binary: SAVE (and QSAVE, the same command) and -o keep the form of the
// file the drawing was read from, SAVEAS chooses with "Binary" or "Ascii" (the drawing's file
// then keeps that form), --binary and --ascii choose for -o. Every file written holds the drawing.
TEST(Saving, FilesKeepTheirFormUnlessSaveAsOrTheOptionsChooseAnother) {
  const struct {
    bool binary_plan;
    const char* args;
    const char* script;
    const char* file;
    bool binary;
  } cases[] = {
      {true, "", "SAVE\n", "plan.dxf", true},
      {true, "-o out.dxf", "", "out.dxf", true},
      {true, "-o out.dxf --ascii", "", "out.dxf", false},
      {true, "", "SAVEAS\nAscii\ncopy.dxf\nSAVE\n", "copy.dxf", false},
      {false, "", "SAVE\n", "plan.dxf", false},
      {false, "--binary -o out.dxf", "", "out.dxf", true},
      {false, "", "SAVEAS\n_Binary\ncopy.dxf\nLINE\n2,2\n3,3\n\nSAVE\n", "copy.dxf", true},
  };
  cad::ReadResult plan = cad::read_dxf(kDrawing, "plan");
  ASSERT_TRUE(plan.db) << plan.error;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.args) + " " + c.script);
    ScratchFolder folder;
    folder.write("plan.dxf", c.binary_plan
                                 ? cad::write_dxf(*plan.db, nullptr, cad::DxfForm::kBinary)
                                 : std::string(kDrawing));
    folder.write("job.scr", std::string(kLineScript) + c.script);
    DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr " + std::string(c.args));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(binary_file(folder, c.file), c.binary);
    EXPECT_GE(lines_in(folder / c.file).value_or(std::vector<Segment>{}).size(), 2u);
    if (std::string(c.script).starts_with("SAVEAS")) {
      EXPECT_THAT(run.out, HasSubstr(c.binary ? "Format: binary DXF" : "Format: ASCII DXF"));
    }
  }
}

// -o - : standard output holds the drawing and nothing else (its start, the transcript on
// standard error: Pictures.WhatGoesToStandardOutputGoesAlone). A failed script writes nothing
// there either.
TEST(Saving, DrawingGoesToStandardOutputAlone) {
  ScratchFolder folder;
  folder.write("job.scr", kLineScript);
  DulkRun run = run_dulk(folder, "--no-module -s job.scr -o -");
  ASSERT_EQ(run.status, 0) << run.err;
  folder.write("out.dxf", run.out);
  EXPECT_EQ(lines_in(folder / "out.dxf").value_or(std::vector<Segment>{}).size(), 1u);

  folder.write("job.scr", "NOSUCH\n");
  DulkRun failed = run_dulk(folder, "--no-module -s job.scr -o -");
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.out, "");
  EXPECT_THAT(failed.err, HasSubstr("unknown command \"NOSUCH\""));
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

// A file nobody may write stays as it was, whoever saves over it: the saving commands (SAVE by
// the backup it keeps; SAVEAS failing: FailedSaveLeavesTheOriginalAndNoStrayFiles), the end of a
// run, the pictures. The tests run as root, whom the system would let replace it.
TEST(WhereSavesWrite, ReadOnlyFileIsRefusedAndLeftAsItWas) {
  struct Writer {
    const char* name;
    const char* args;    // after "--no-module -s job.scr"
    const char* script;  // after kLineScript
    const char* target;  // the read-only file
    const char* why;     // after "cannot save "
  };
  const Writer writers[] = {
      {"-o", "-o out.dxf", "", "out.dxf", "out.dxf: the file is read-only"},
      {"QUIT", "plan.dxf", "QUIT\nYes\n", "plan.dxf", "plan.dxf: the file is read-only"},
      {"--svg", "--svg out.svg", "", "out.svg", "out.svg: the file is read-only"},
      {"--png", "--png out.png", "", "out.png", "out.png: the file is read-only"},
      {"the backup", "plan.dxf", "SAVE\n", "plan.bak",
       "plan.dxf: cannot save plan.bak: the file is read-only"},
  };
  for (const Writer& w : writers) {
    SCOPED_TRACE(w.name);
    ScratchFolder folder;
    folder.write("plan.dxf", kDrawing);
    folder.write("job.scr", std::string(kLineScript) + w.script);
    const bool drawing = std::string(w.target) == "plan.dxf";
    if (!drawing) folder.write(w.target, "old");
    ASSERT_EQ(chmod((folder / w.target).c_str(), 0444), 0);
    const auto before = folder.listing();
    DulkRun run = run_dulk(folder, std::string("--no-module -s job.scr ") + w.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr(std::string("cannot save ") + w.why)) << run.err;
    EXPECT_EQ(folder.read("plan.dxf"), kDrawing);
    if (!drawing) {
      EXPECT_EQ(folder.read(w.target), "old");
    }
    struct stat st {};
    ASSERT_EQ(stat((folder / w.target).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(folder.listing(), before);
  }
}

// A write that fails part way (here at the size limit of files, in blocks, which ignored signals
// let show as an error) leaves the old file as it was and nothing else behind, whoever writes:
// dulk itself, or the converter of the pictures, whose SVG input stays within the limit.
TEST(WhereSavesWrite, WriteThatFailsPartWayLeavesTheOldFile) {
  struct Writer {
    const char* name;
    const char* option;
    int limit;
  };
  const Writer writers[] = {
      {"-o", "-o out", 8}, {"SAVE", "", 8}, {"--svg", "--svg out", 8}, {"--png", "--png out", 100}};
  // Lines criss-crossing a square: a picture of many pixels that no compression makes small.
  std::string script;
  for (int k = 0; k < 300; ++k) {
    script += "LINE\n" + std::to_string(k * 37 % 101) + "," + std::to_string(k * 53 % 97) + "\n" +
              std::to_string(k * 71 % 89) + "," + std::to_string(k * 29 % 103) + "\n\n";
  }
  for (const Writer& w : writers) {
    ScratchFolder folder;
    const bool save = std::string(w.name) == "SAVE";
    folder.write("job.scr", script + (save ? "SAVE\n" : ""));
    folder.write("out", kDrawing);
    const std::string command = "cd " + shell_word(folder.path().string()) + " && ulimit -f " +
                                std::to_string(w.limit) + " && " + shell_word(dulk_binary()) +
                                " --no-module " + (save ? "out " : "") + "-s job.scr " + w.option +
                                " >/dev/null 2>err.txt";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << w.name << ": " << status;
    const std::string err = folder.read("err.txt").value_or("");
    EXPECT_THAT(err, HasSubstr("cannot save out: ")) << w.name;
    EXPECT_EQ(folder.read("out"), kDrawing) << w.name;
    EXPECT_EQ(folder.listing(), (std::vector<std::string>{"err.txt", "job.scr", "out"})) << w.name;
  }
}

// The cases of output_cases.txt: nothing runs, nothing is written.
TEST(Pictures, OutputsThatWouldReplaceADrawingOrEachOtherAreRefusedBeforeAnythingRuns) {
  const std::vector<cad::testing::CaseLine> cases =
      cad::testing::read_cases("app/output_cases.txt");
  ASSERT_GE(cases.size(), 10u);
  for (const cad::testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    ASSERT_EQ(c.fields.size(), 2u);
    ScratchFolder folder;
    folder.write("plan.dxf", kDrawing);
    folder.write("job.scr", std::string(kLineScript) + "SAVE\n");
    std::filesystem::create_directory(folder / "sub");
    std::filesystem::create_symlink("plan.dxf", folder / "link.dxf");
    auto in_folder = [&](std::string text) {
      for (size_t at; (at = text.find("{}")) != std::string::npos;)
        text.replace(at, 2, folder.path().string());
      return text;
    };
    const auto before = folder.listing();
    DulkRun run = run_dulk(folder, "--no-module -s job.scr " + in_folder(c.fields[0]));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "dulk: " + in_folder(c.fields[1]) + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(folder.read("plan.dxf"), kDrawing);
    EXPECT_EQ(folder.listing(), before);
    EXPECT_TRUE(std::filesystem::is_empty(folder / "sub"));
  }
}

// A file that SAVEAS made the drawing's own during the run takes no picture at its end either.
TEST(Pictures, PictureIsNotWrittenOverTheFileSaveAsNamed) {
  ScratchFolder folder;
  folder.write("plan.dxf", kDrawing);
  folder.write("job.scr", std::string(kLineScript) + "SAVEAS\ncopy.dxf\n");
  DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr --png copy.dxf --svg plan.svg");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "dulk: cannot save copy.dxf: it is the drawing's file copy.dxf; a picture never "
            "replaces a drawing\n");
  EXPECT_EQ(lines_in(folder / "copy.dxf").value_or(std::vector<Segment>{}).size(), 2u);
  EXPECT_EQ(folder.listing(),
            (std::vector<std::string>{"copy.dxf", "job.scr", "plan.dxf", "plan.svg"}));
}

// --svg - and --png - write the picture to standard output, as -o - writes the drawing; the
// transcript then goes to standard error, and no file named "-" is made.
TEST(Pictures, WhatGoesToStandardOutputGoesAlone) {
  const std::pair<const char*, const char*> pictures[] = {
      {"-o -", "  0\nSECTION\n"}, {"--svg -", "<?xml"}, {"--png -", "\x89PNG\r\n\x1a\n"}};
  for (const auto& [option, start] : pictures) {
    SCOPED_TRACE(option);
    ScratchFolder folder;
    folder.write("job.scr", kLineScript);
    DulkRun run = run_dulk(folder, std::string("--no-module -s job.scr ") + option);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind(start, 0), 0u) << run.out.substr(0, 40);
    EXPECT_THAT(run.err, HasSubstr("Specify first point: 0,0"));
    EXPECT_EQ(folder.listing(), std::vector<std::string>{"job.scr"});
  }
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
  EXPECT_EQ(cad::testing::Terminal::occurrences(*svg, "<path"), 2u) << *svg;
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
