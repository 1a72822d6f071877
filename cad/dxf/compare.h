// Comparing two drawings record by record, for tests of anything that reads, writes or changes a
// drawing: header variables, classes, tables, blocks, entities, objects, raw sections and the
// order of sections, with every group (handles included). Erased records are not compared, as a
// written file does not hold them.
#pragma once

#include <string>

#include "cad/db/database.h"

namespace cad {

// Empty when the drawings hold the same records; otherwise the first difference, e.g.
// "entities[12] (LINE 1A2): group 3: 10 (1,2,3) vs 10 (1,2,4)". Reals are compared exactly.
std::string diff_records(const Database& a, const Database& b);

}  // namespace cad
