// PNG pictures through rsvg-convert: a picture of the drawing's size, and clear errors when the
// converter is missing or fails, which leaves the old picture. CI installs the converter, so there
// a missing one is a failure.
#include "cad/render/png.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

#include "cad/render/svg.h"
#include "tests/render/render_checks.h"
#include "tests/support/files.h"

namespace cad {
namespace {

namespace fs = std::filesystem;

bool converter_installed() { return std::system("command -v rsvg-convert >/dev/null 2>&1") == 0; }

class PngTest : public ::testing::Test {
 protected:
  // Whether the tests that run the converter can run here; on CI its absence fails them.
  bool need_converter() {
    if (converter_installed()) return true;
    if (testing::on_ci()) ADD_FAILURE() << "rsvg-convert is missing on CI (install librsvg2-bin)";
    return false;
  }

  testing::TempDir dir_;
};

TEST_F(PngTest, PictureHasTheSvgsPixelSize) {
  if (!need_converter()) GTEST_SKIP() << "rsvg-convert is not installed";
  Database db;
  db.add_entity(testing::line_record("0", {0, 0, 0}, {100, 50, 0}));
  SvgOptions options;
  options.width_px = 320;
  options.margin = 0;
  std::string error;
  ASSERT_TRUE(save_png(render_svg(db, options), (dir_ / "picture.png").string(), &error)) << error;
  const std::string bytes = dir_.read("picture.png").value_or("");
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
  // The IHDR chunk's width and height, big-endian.
  EXPECT_EQ(bytes.substr(16, 8), std::string("\0\0\x01\x40\0\0\0\xa0", 8)) << "320 x 160";
}

TEST_F(PngTest, BrokenSvgIsReportedWithTheConvertersMessageAndTheOldPictureStays) {
  if (!need_converter()) GTEST_SKIP() << "rsvg-convert is not installed";
  dir_.write("broken.png", "old picture");
  const std::string png = (dir_ / "broken.png").string();
  std::string error;
  EXPECT_FALSE(save_png("<svg", png, &error));
  const std::string said =
      "cannot save " + png + ": rsvg-convert could not make the picture (exit status 1: ";
  EXPECT_EQ(error.rfind(said, 0), 0u) << error;
  EXPECT_EQ(dir_.read("broken.png"), "old picture");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);
}

TEST_F(PngTest, MissingConverterIsAClearError) {
  const char* old = std::getenv("PATH");
  const std::string saved = old ? old : "";
  setenv("PATH", dir_.path().c_str(), 1);
  std::string error;
  const bool written =
      save_png("<svg xmlns=\"http://www.w3.org/2000/svg\"/>", (dir_ / "any.png").string(), &error);
  setenv("PATH", saved.c_str(), 1);
  EXPECT_FALSE(written);
  EXPECT_NE(error.find("rsvg-convert is not installed"), std::string::npos) << error;
  EXPECT_NE(error.find("librsvg2-bin"), std::string::npos) << error;
}

}  // namespace
}  // namespace cad
