// Pictures of the same chain drawn at a metre, a hundred metres and ten kilometres (dimension
// sizes scaled with DIMSCALE, as a user scales them) come out alike: every PNG is made, and its
// texts have their glyphs where the SVG puts them, as many dark pixels at every scale.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tests/app/dulk_run.h"

namespace dulk::testing {
namespace {

struct Gray {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // row by row, 0 black

  bool dark(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height &&
           pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] <
               128;
  }
};

std::optional<Gray> read_png(const std::filesystem::path& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_GRAY;
  Gray out{static_cast<int>(image.width), static_cast<int>(image.height),
           std::vector<uint8_t>(PNG_IMAGE_SIZE(image))};
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return out;
}

// Where a <text> element's transform puts its anchor, in the SVG's user units.
std::vector<std::pair<double, double>> text_anchors(const std::string& svg) {
  std::vector<std::pair<double, double>> out;
  for (size_t at = svg.find("<text transform=\"matrix("); at != std::string::npos;
       at = svg.find("<text transform=\"matrix(", at + 1)) {
    double m[6];
    if (std::sscanf(svg.c_str() + at, "<text transform=\"matrix(%lf %lf %lf %lf %lf %lf)", &m[0],
                    &m[1], &m[2], &m[3], &m[4], &m[5]) == 6)
      out.emplace_back(m[4], m[5]);
  }
  return out;
}

TEST(ChainPictures, TextIsLegibleFromAMetreToTenKilometres) {
  // Ten dimensions of a tenth of the chain each, all reading "10".
  const double lengths[] = {1, 100, 10000};
  std::vector<size_t> text_pixels;
  for (const double length : lengths) {
    SCOPED_TRACE(length);
    const double step = length / 10;
    auto num = [](double v) { return std::to_string(v); };
    std::string script = "SETVAR DIMSCALE " + num(length / 5) + "\n";
    script += "DIM1 HOR 0,0 " + num(step) + ",0 0," + num(length / 4) + " 10\n";
    for (int k = 2; k <= 10; ++k) script += "DIM1 CONT " + num(step * k) + ",0 10\n";
    ScratchFolder folder{{"chain.scr", script}};
    const DulkRun run =
        run_dulk(folder, "--no-module -s chain.scr --svg chain.svg --png chain.png");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::optional<std::string> svg = folder.read("chain.svg");
    ASSERT_TRUE(svg.has_value());
    const std::optional<Gray> png = read_png(folder / "chain.png");
    ASSERT_TRUE(png.has_value()) << "no PNG";

    double x0 = 0, y0 = 0, w = 0, h = 0;
    const size_t box = svg->find("viewBox=\"");
    ASSERT_NE(box, std::string::npos);
    ASSERT_EQ(std::sscanf(svg->c_str() + box, "viewBox=\"%lf %lf %lf %lf", &x0, &y0, &w, &h), 4);
    const double px = png->width / w;
    // Text 0.08 DIMSCALE high (the new drawing's DIMTXT), "10" about 1.75 heights wide.
    const double cap = 0.08 * (length / 5) * px;
    const std::vector<std::pair<double, double>> anchors = text_anchors(*svg);
    ASSERT_EQ(anchors.size(), 10u);
    size_t pixels = 0;
    for (const auto& [ax, ay] : anchors) {
      const int cx = static_cast<int>((ax - x0) * px);
      const int cy = static_cast<int>((ay - y0) * png->height / h);
      size_t in_text = 0;
      for (int y = cy - static_cast<int>(0.6 * cap); y <= cy + static_cast<int>(0.6 * cap); ++y)
        for (int x = cx - static_cast<int>(cap); x <= cx + static_cast<int>(cap); ++x)
          in_text += png->dark(x, y) ? 1 : 0;
      EXPECT_GT(in_text, static_cast<size_t>(cap * cap / 10)) << "no glyphs at " << cx << "," << cy;
      pixels += in_text;
    }
    text_pixels.push_back(pixels);
  }
  // The same picture at every scale: the glyphs as dark at each.
  for (const size_t pixels : text_pixels) {
    EXPECT_NEAR(static_cast<double>(pixels), static_cast<double>(text_pixels[1]),
                0.1 * static_cast<double>(text_pixels[1]));
  }
}

}  // namespace
}  // namespace dulk::testing
