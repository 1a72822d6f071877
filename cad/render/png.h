// PNG pictures, made from SVG text by rsvg-convert (Debian package librsvg2-bin), which the
// host runs when it is installed rather than carrying a rasterizer of its own.
#pragma once

#include <string>
#include <string_view>

namespace cad {

// Saves a PNG picture of the SVG text at png_path, at the size the SVG gives, the way every file
// is saved (cad/files/save.h), so that a converter that fails part way leaves the old file. False
// with "cannot save PNG_PATH: why" in *error (when error is not null) when rsvg-convert is not
// found on PATH, cannot be started, or fails, or the file cannot be saved.
bool save_png(std::string_view svg, const std::string& png_path, std::string* error);

// Writes the PNG picture to fd (standard output) once it is whole, so that a converter that fails
// writes nothing there; false with "cannot write the PNG picture to WHERE: why" in *error (when
// error is not null).
bool write_png(std::string_view svg, int fd, const std::string& where, std::string* error);

}  // namespace cad
