// What dulk reads and writes: drawings that cannot be read, saving (the saving commands keep a
// backup, the end of a run writes over the opened drawing only when -o names it), where every
// writer writes (links followed, what is no file refused, never a half-written file), and
// pictures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

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

// The cases of refused_cases.txt: nothing runs, nothing is written.
TEST(ReadingFiles, RunsThatCannotBeginAreRefusedWithOneMessageAndNothingWritten) {
  const std::vector<cad::testing::CaseLine> cases =
      cad::testing::read_cases("app/refused_cases.txt");
  ASSERT_GE(cases.size(), 15u);
  for (const cad::testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    ASSERT_EQ(c.fields.size(), 3u);
    ScratchFolder folder{{"plan.dxf", kDrawing},
                         {"job.scr", std::string(kLineScript) + "SAVE\n"},
                         {"bad.dxf", malformed_drawing()}};
    std::filesystem::create_directory(folder / "sub");
    std::filesystem::create_symlink("plan.dxf", folder / "link.dxf");
    auto in_folder = [&](const std::string& text) {
      return cad::testing::replace_all(text, "{}", folder.path().string());
    };
    const auto before = folder.listing();
    DulkRun run = run_dulk(folder, "--no-module " + in_folder(c.fields[1]));
    EXPECT_EQ(run.status, std::stoi(c.fields[0]));
    EXPECT_EQ(run.err, "dulk: " + in_folder(c.fields[2]) + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(folder.read("plan.dxf"), kDrawing);
    EXPECT_EQ(folder.listing(), before);
    EXPECT_TRUE(std::filesystem::is_empty(folder / "sub"));
  }
}

TEST(ReadingFiles, RecoverReadsWhatCanBeReadAndSaysWhatItMended) {
  ScratchFolder folder{{"bad.dxf", malformed_drawing()}};
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
  EXPECT_THAT(lines_in(folder / "out2.dxf"), ::testing::MatchesRegex("[^\n]* 6,6,0\n"));
  EXPECT_EQ(folder.read("plan.dxf"), kDrawing);
}

// The cases of saving_cases.txt.
TEST(Saving, SavingCommandsAndTheEndOfTheRunWriteWhereTheySay) {
  const std::vector<cad::testing::CaseLine> cases =
      cad::testing::read_cases("app/saving_cases.txt");
  for (const cad::testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    ASSERT_GE(c.fields.size(), 5u);
    ScratchFolder folder{{"plan.dxf", kDrawing}, {"job.scr", script_of(c, 4)}};
    DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr " + c.fields[0]);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr(c.fields[2]));
    if (c.fields[1] != "none") {
      EXPECT_EQ(count_entities(folder / c.fields[1], "LINE"), 2u);
    }
    EXPECT_EQ(folder.listing(), c.fields[3]);
    if (c.fields[1] != "plan.dxf") {
      EXPECT_EQ(folder.read("plan.dxf"), kDrawing);
    }
    if (c.fields[3].find("plan.bak") != std::string::npos) {
      EXPECT_EQ(folder.read("plan.bak"), kDrawing);
    }
  }
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
    ScratchFolder folder{
        {"plan.dxf", c.binary_plan ? cad::write_dxf(*plan.db, nullptr, cad::DxfForm::kBinary)
                                   : std::string(kDrawing)},
        {"job.scr", std::string(kLineScript) + c.script}};
    DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr " + std::string(c.args));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(folder.read(c.file).value_or("").starts_with(cad::kBinarySentinel), c.binary);
    EXPECT_GE(count_entities(folder / c.file, "LINE").value_or(0), 2u);
    if (std::string(c.script).starts_with("SAVEAS")) {
      EXPECT_THAT(run.out, HasSubstr(c.binary ? "Format: binary DXF" : "Format: ASCII DXF"));
    }
  }
}

// A file nobody may write stays as it was, whoever saves over it: the saving commands (SAVE by
// the backup it keeps), the end of a run, the pictures. The tests run as root, whom the system
// would let replace it. A file in a folder that is not there is refused as well, and no stray
// file is left either way.
TEST(WhereSavesWrite, ReadOnlyFileOrMissingFolderIsRefusedAndLeftAsItWas) {
  struct Writer {
    const char* name;
    const char* args;    // after "--no-module -s job.scr"
    const char* script;  // after kLineScript
    const char* target;  // the read-only file, if any
    const char* why;
  };
  const Writer writers[] = {
      {"-o", "-o out.dxf", "", "out.dxf", "cannot save out.dxf: the file is read-only"},
      {"QUIT", "plan.dxf", "QUIT\nYes\n", "plan.dxf",
       "cannot save plan.dxf: the file is read-only"},
      {"--svg", "--svg out.svg", "", "out.svg", "cannot save out.svg: the file is read-only"},
      {"--png", "--png out.png", "", "out.png", "cannot save out.png: the file is read-only"},
      {"the backup", "plan.dxf", "SAVE\n", "plan.bak",
       "cannot save plan.dxf: cannot save plan.bak: the file is read-only"},
      {"-o in no folder", "plan.dxf -o gone/plan.dxf", "", "", "cannot save gone/plan.dxf: "},
      {"SAVEAS in no folder", "plan.dxf", "SAVEAS\ngone/plan.dxf\n", "",
       "line 6: cannot save gone/plan.dxf: "},
  };
  for (const Writer& w : writers) {
    SCOPED_TRACE(w.name);
    ScratchFolder folder{{"plan.dxf", kDrawing}, {"job.scr", std::string(kLineScript) + w.script}};
    const std::string target = w.target;
    if (!target.empty() && target != "plan.dxf") folder.write(target, "old");
    if (!target.empty()) {
      ASSERT_EQ(chmod((folder / target).c_str(), 0444), 0);
    }
    const auto before = folder.listing();
    DulkRun run = run_dulk(folder, std::string("--no-module -s job.scr ") + w.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr(w.why)) << run.err;
    EXPECT_EQ(folder.read("plan.dxf"), kDrawing);
    EXPECT_EQ(folder.listing(), before);
    if (target.empty()) continue;
    if (target != "plan.dxf") {
      EXPECT_EQ(folder.read(target), "old");
    }
    struct stat st {};
    ASSERT_EQ(stat((folder / target).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
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
    const bool save = std::string(w.name) == "SAVE";
    ScratchFolder folder{{"job.scr", script + (save ? "SAVE\n" : "")}, {"out", kDrawing}};
    const std::string command =
        "ulimit -f " + std::to_string(w.limit) + " && " +
        dulk_command(folder, std::string("--no-module ") + (save ? "out " : "") + "-s job.scr " +
                                 w.option + " >/dev/null 2>err.txt");
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << w.name << ": " << status;
    EXPECT_THAT(folder.read("err.txt").value_or(""), HasSubstr("cannot save out: ")) << w.name;
    EXPECT_EQ(folder.read("out"), kDrawing) << w.name;
    EXPECT_EQ(folder.listing(), "err.txt job.scr out") << w.name;
  }
}

// A file that SAVEAS made the drawing's own during the run takes no picture at its end either.
TEST(Pictures, PictureIsNotWrittenOverTheFileSaveAsNamed) {
  ScratchFolder folder{{"plan.dxf", kDrawing},
                       {"job.scr", std::string(kLineScript) + "SAVEAS\ncopy.dxf\n"}};
  DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr --png copy.dxf --svg plan.svg");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "dulk: cannot save copy.dxf: it is the drawing's file copy.dxf; a picture never "
            "replaces a drawing\n");
  EXPECT_EQ(count_entities(folder / "copy.dxf", "LINE"), 2u);
  EXPECT_EQ(folder.listing(), "copy.dxf job.scr plan.dxf plan.svg");
}

// -o - writes the drawing to standard output, --svg - and --png - the picture: the transcript then
// goes to standard error, and no file named "-" is made. A failed script writes nothing there.
TEST(Pictures, WhatGoesToStandardOutputGoesAlone) {
  const std::pair<const char*, const char*> pictures[] = {
      {"-o -", "  0\nSECTION\n"}, {"--svg -", "<?xml"}, {"--png -", "\x89PNG\r\n\x1a\n"}};
  for (const auto& [option, start] : pictures) {
    SCOPED_TRACE(option);
    ScratchFolder folder{{"job.scr", kLineScript}, {"fail.scr", "NOSUCH\n"}};
    DulkRun run = run_dulk(folder, std::string("--no-module -s job.scr ") + option);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind(start, 0), 0u) << run.out.substr(0, 40);
    EXPECT_THAT(run.err, HasSubstr("Specify first point: 0,0"));
    EXPECT_EQ(folder.listing(), "fail.scr job.scr");
    if (option == std::string("-o -")) {
      folder.write("out.dxf", run.out);
      EXPECT_EQ(count_entities(folder / "out.dxf", "LINE"), 1u);
    }
    DulkRun failed = run_dulk(folder, std::string("--no-module -s fail.scr ") + option);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_THAT(failed.err, HasSubstr("unknown command \"NOSUCH\""));
  }
}

TEST(Pictures, SvgAndPngShowTheDrawing) {
  ScratchFolder folder{{"plan.dxf", kDrawing}, {"job.scr", kLineScript}};
  DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr --svg plan.svg --png plan.png");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string svg = folder.read("plan.svg").value_or("");
  EXPECT_THAT(svg, HasSubstr("<svg"));
  EXPECT_EQ(cad::testing::Terminal::occurrences(svg, "<path"), 2u) << svg;
  EXPECT_EQ(folder.read("plan.png").value_or("").substr(0, 8), "\x89PNG\r\n\x1a\n");
  // The picture the converter read was dulk's own, not left behind, nor one of its own made.
  EXPECT_EQ(folder.listing(), "job.scr plan.dxf plan.png plan.svg");
  ASSERT_EQ(run_dulk(folder, "--no-module --png only.png", kLineScript).status, 0);
  EXPECT_EQ(folder.listing(), "job.scr only.png plan.dxf plan.png plan.svg");
}

}  // namespace
}  // namespace dulk::testing
