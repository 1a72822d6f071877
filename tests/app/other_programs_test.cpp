// Drawings with the host's dimensions and the module's chains open cleanly in other programs:
// ezdxf audits them without errors and LibreCAD converts them. Each case leaves its pictures (our
// PNG, LibreCAD's PDF) in the build folder's pictures/ for a person to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/app/dulk_run.h"

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

std::string shared_dir() {
  const char* dir = std::getenv("DULK_SHARED_DIR");
  return dir ? dir : "/work/shared";
}

bool on_ci() {
  const char* ci = std::getenv("CI");
  return ci && std::string(ci) == "true";
}

TEST(OtherPrograms, EzdxfAuditsAndLibreCadConvertsOurDimensions) {
  const bool librecad = shell_ok("command -v librecad >/dev/null 2>&1");
  if (!librecad && !on_ci()) GTEST_SKIP() << "librecad is not installed";
  ASSERT_TRUE(librecad) << "librecad is not installed (Debian package librecad)";
  const fs::path pictures = fs::path(DULK_BINARY_DIR) / "pictures";
  fs::create_directories(pictures);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    folder.write("job.scr", c.script);
    std::string args = "-s job.scr -o out.dxf --png out.png";
    if (*c.drawing) args = shell_word(shared_dir() + "/dxf/" + c.drawing) + " " + args;
    const DulkRun run = run_dulk(folder, args);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    ASSERT_GT(count_entities(folder / "out.dxf", "DIMENSION").value_or(0), 0u);

    const std::string audit =
        "/usr/bin/python3 " +
        shell_word(std::string(DULK_SOURCE_DIR) + "/tests/dxf/ezdxf_audit.py") + " " +
        shell_word((folder / "out.dxf").string());
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
