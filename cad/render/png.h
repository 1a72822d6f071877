// PNG pictures, made from an SVG file by rsvg-convert (Debian package librsvg2-bin), which the
// host runs when it is installed rather than carrying a rasterizer of its own.
#pragma once

#include <string>

namespace cad {

// Converts the SVG file at svg_path into a PNG file at png_path, at the size the SVG gives.
// False with a message in *error (when error is not null) when rsvg-convert is not found on
// PATH, cannot be started, or fails.
bool write_png(const std::string& svg_path, const std::string& png_path, std::string* error);

}  // namespace cad
