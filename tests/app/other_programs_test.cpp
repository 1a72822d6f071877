// Drawings with the host's dimensions and the module's chains open cleanly in other programs:
// ezdxf audits them without errors and LibreCAD converts them. Each case leaves its pictures (our
// PNG, LibreCAD's PDF) in the build folder's pictures/ for a person to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cad/dxf/complete.h"
#include "cad/dxf/reader.h"
#include "tests/app/dulk_run.h"
#include "tests/support/files.h"

namespace dulk::testing {
namespace {

namespace fs = std::filesystem;

struct Case {
  const char* name;
  const char* drawing;  // from ../shared/dxf, or empty for a new drawing
  const char* script;
};

const Case kCases[] = {
    {"dim1_hor_ver_cont_ucs30", "",
     "DIM1 HOR 0,0 3,0 1.5,1 \nDIM1 CONT 5,0 \nDIM1 VER 0,0 0,2 -1,1 \nUCS Z 30\n"
     "DIM1 HOR 0,0 2,0 1,1 \nUCS W\n"},
    {"dulk_chain_rotated", "", "Dulk\n0,0\n1.25,0.5\n2.5,1\n3.75,1.5\n\n0,2\n21.8014\n"},
    {"autobem_pavilion", "barcelona_pavilion_plan_elev_r2000.dxf",
     "AutoBem\n7.08,-0.428\n7.08,21.848\n\n6.5,0\n90\nNein\n"},
};

bool shell_ok(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string ezdxf_audit_command() {
  return "/usr/bin/python3 " +
         shell_word(std::string(DULK_SOURCE_DIR) + "/tests/dxf/ezdxf_audit.py");
}

// Every real drawing, old formats included, with a chain of the module added and saved reads in
// ezdxf, and its audit finds no error and makes no fix that it does not find or make in the
// drawing as it was read: every table entry and block the host writes a reference to is there
// (a text style, for one, where another program's dimension style names none). R12 and older
// drawings stay R12, and their dimensions' texts carry no multiline-text codes.
TEST(OtherPrograms, EveryRealDrawingWithAChainAddedAuditsInEzdxf) {
  const std::vector<fs::path> drawings =
      cad::testing::shared_drawings({"dxf", "dxf-extra", "dxf-more"});
  ASSERT_GE(drawings.size(), 30u);

  ScratchFolder folder;
  // A raised millimetre digit (2.385) and a polyline, which R12 writes in forms of its own.
  folder.write("job.scr", "Dulk\n0,0\n2.385,0\n3.635,0\n\n0,2\n0\nPLINE\n0,0\n1,1\n2,0\n\n");
  std::string later;
  std::string r12;
  for (const fs::path& drawing : drawings) {
    SCOPED_TRACE(drawing.string());
    const cad::ReadResult read = cad::read_dxf_file(drawing.string());
    ASSERT_TRUE(read.db) << read.error;
    const std::string out = drawing.stem().string() + ".dxf";
    const DulkRun run = run_dulk(folder, shell_word(drawing.string()) + " -s job.scr -o " + out);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    ASSERT_EQ(count_entities(folder / out, "DIMENSION").value_or(0),
              count_entities(drawing, "DIMENSION").value_or(0) + 2);
    const bool old_form = cad::r12_form(cad::drawing_version(*read.db));
    (old_form ? r12 : later) +=
        " --against " + shell_word(drawing.string()) + " " + shell_word((folder / out).string());
    if (!old_form) continue;
    const cad::ReadResult written = cad::read_dxf_file((folder / out).string());
    ASSERT_TRUE(written.db) << written.error;
    for (cad::RecordId id : written.db->entities()) {
      const cad::Record& rec = written.db->record(id);
      if (rec.type == "DIMENSION") {
        EXPECT_EQ(rec.text(1).find_first_of("\\{}"), std::string_view::npos) << rec.text(1);
      }
    }
  }
  ASSERT_FALSE(r12.empty());
  EXPECT_TRUE(shell_ok("cd " + shell_word(folder.path().string()) + " && " + ezdxf_audit_command() +
                       later + " --version AC1009" + r12));
}

// Every drawing ezdxf makes names "ISO-25" as its current dimension style, which its table lacks:
// the host makes "Standard" current, so that Dulk beside one of the drawing's dimensions finds its
// settings and places the chain one chain spacing (0.3 by default) beyond it.
TEST(OtherPrograms, DulkBesideADimensionOfAnEzdxfDrawingLiesOneSpacingBeyondIt) {
  ScratchFolder folder;
  folder.write("make.py",
               "import ezdxf\n"
               "doc = ezdxf.new('R2010')\n"
               "dim = doc.modelspace().add_linear_dim(base=(5, 3), p1=(0, 0), p2=(10, 0),\n"
               "                                      dimstyle='Standard')\n"
               "dim.render()\n"
               "doc.saveas('ezdxf.dxf')\n");
  ASSERT_TRUE(
      shell_ok("cd " + shell_word(folder.path().string()) + " && /usr/bin/python3 make.py"));
  folder.write("job.scr", "Dulk\n0,0\n4,0\n10,0\n\nU\n2,3\n");
  const DulkRun run = run_dulk(folder, "ezdxf.dxf -s job.scr -o out.dxf");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("$DIMSTYLE names \"ISO-25\", which the DIMSTYLE table lacks: "
                         "\"Standard\" made current"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("nicht in Zeichnung gefunden"), std::string::npos) << run.out;
  const cad::ReadResult out = cad::read_dxf_file((folder / "out.dxf").string());
  ASSERT_TRUE(out.db) << out.error;
  std::vector<double> lines;
  for (cad::RecordId id : out.db->entities()) {
    const cad::Record& rec = out.db->record(id);
    if (rec.type != "DIMENSION" || rec.xdata_begin() == rec.groups.size()) continue;
    lines.push_back(std::round(rec.point(10).y * 1e9) / 1e9);
    EXPECT_EQ(rec.text(3), "Standard");
  }
  EXPECT_EQ(lines, (std::vector<double>{3.3, 3.3}));
}

TEST(OtherPrograms, EzdxfAuditsAndLibreCadConvertsOurDimensions) {
  const bool librecad = shell_ok("command -v librecad >/dev/null 2>&1");
  if (!librecad && !cad::testing::on_ci()) GTEST_SKIP() << "librecad is not installed";
  ASSERT_TRUE(librecad) << "librecad is not installed (Debian package librecad)";
  const fs::path pictures = fs::path(DULK_BINARY_DIR) / "pictures";
  fs::create_directories(pictures);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder{{"job.scr", c.script}};
    std::string args = "-s job.scr -o out.dxf --png out.png";
    if (*c.drawing)
      args = shell_word((cad::testing::shared_dir() / "dxf" / c.drawing).string()) + " " + args;
    const DulkRun run = run_dulk(folder, args);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    ASSERT_GT(count_entities(folder / "out.dxf", "DIMENSION").value_or(0), 0u);

    const std::string audit =
        ezdxf_audit_command() + " " + shell_word((folder / "out.dxf").string());
    EXPECT_TRUE(shell_ok(audit)) << "ezdxf found errors in " << c.name;

    // LibreCAD writes the PDF beside its input, whatever -o says.
    const fs::path dxf = pictures / (std::string(c.name) + ".dxf");
    const fs::path pdf = pictures / (std::string(c.name) + ".pdf");
    fs::copy_file(folder / "out.dxf", dxf, fs::copy_options::overwrite_existing);
    fs::copy_file(folder / "out.png", pictures / (std::string(c.name) + ".png"),
                  fs::copy_options::overwrite_existing);
    fs::remove(pdf);
    const std::string convert = "cd " + shell_word(pictures.string()) +
                                " && QT_QPA_PLATFORM=offscreen timeout 120 librecad dxf2pdf " +
                                shell_word(dxf.filename().string()) + " >/dev/null 2>&1";
    EXPECT_TRUE(shell_ok(convert)) << "librecad could not convert " << c.name;
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_GT(fs::file_size(pdf), 1000u);
  }
}

}  // namespace
}  // namespace dulk::testing
