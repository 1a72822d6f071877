// Writing a drawing as DXF (ASCII or binary) in the version it was read in ($ACADVER; AC1027 for a
// new drawing), complete for that version (complete.h) without changing the drawing itself. The
// same drawing gives the same bytes.
#pragma once

#include <string>
#include <vector>

#include "cad/db/database.h"
#include "cad/dxf/tag_writer.h"
#include "cad/files/save.h"

namespace cad {

// An R12 drawing's entities of newer types are written in R12's form or left out
// (r12_entities.h); notes, when given, gets a line saying what was left out.
std::string write_dxf(const Database& db, std::vector<std::string>* notes = nullptr,
                      DxfForm form = DxfForm::kAscii);

// Saves the drawing at path the host's way (cad/files/save.h: a temporary file renamed over the
// target, links followed, anything but a regular file refused, the old file kept as the backup
// when options ask for it). On any failure path is left as it was, *error (when given) says why,
// and the result is false.
bool save_dxf(const Database& db, const std::string& path, std::string* error,
              const SaveOptions& options = {}, std::vector<std::string>* notes = nullptr,
              DxfForm form = DxfForm::kAscii);

}  // namespace cad
