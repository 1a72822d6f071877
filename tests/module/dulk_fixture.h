// Checkers shared by the end-to-end tests of Dulk and AutoBem: the transcript as lines, the UCS
// and reference dimensions set up through the host's own commands, the state an Esc must leave,
// and a drawing compared record by record after U.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cad/ads/undo.h"
#include "cad/dxf/compare.h"
#include "chain_edit_fixture.h"

class DulkTest : public ChainEditTest {
 protected:
  // The transcript, one line each, without the empty line the host starts with.
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    std::istringstream in(transcript());
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() || !out.empty()) out.push_back(line);
    }
    return out;
  }

  // Whether the transcript holds the given lines one after the other, each line in full.
  bool has_run(const std::vector<std::string>& run) const {
    const std::vector<std::string> all = lines();
    for (size_t start = 0; start + run.size() <= all.size(); ++start) {
      bool match = true;
      for (size_t i = 0; i < run.size() && match; ++i) match = all[start + i] == run[i];
      if (match) return true;
    }
    return false;
  }

  // How often a line occurs in the transcript.
  size_t count_lines(const std::string& line) const {
    size_t n = 0;
    for (const std::string& l : lines()) n += l == line ? 1 : 0;
    return n;
  }

  static std::string number(double v) {
    std::ostringstream out;
    out.precision(12);
    out << v;
    return out.str();
  }

  // The UCS turned about Z from the world; 0 is the world itself.
  void ucs_turned(double degrees) {
    ASSERT_EQ(script("UCS\nW\n"), 0) << transcript();
    if (degrees != 0.0) {
      ASSERT_EQ(script("UCS\nZ\n" + number(degrees) + "\n"), 0) << transcript();
    }
  }

  static cad::Vec3 to_world(cad::Vec3 ucs_point) {
    return cad::current_host()->ucs().to_world(ucs_point);
  }

  // The chain the module made (the one carrying chain data).
  std::vector<SavedDim> new_chain() const {
    for (const auto& [name, dims] : chains()) {
      if (!name.empty()) return dims;
    }
    return {};
  }

  size_t dimension_count() const {
    size_t n = 0;
    for (const auto& [name, dims] : chains()) n += dims.size();
    return n;
  }

  // Neither an undo group nor its UNDOCTL bit left behind.
  bool undo_group_left_open() {
    return host().undo().group_open() || (short_var(L"UNDOCTL") & 8) != 0;
  }

  static std::string diff(const std::string& before, const std::string& after) {
    const cad::ReadResult a = cad::read_dxf(before, "before");
    const cad::ReadResult b = cad::read_dxf(after, "after");
    return cad::diff_records(*a.db, *b.db);
  }

  // Signed distance of a world point from the line through origin in the world direction
  // across (a unit vector), measured along across.
  static double offset(cad::Vec3 p, cad::Vec3 origin, cad::Vec3 across) {
    return cad::dot(p - origin, across);
  }
};
