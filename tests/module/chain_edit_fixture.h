// The stand-in host with the built module loaded, chains made the way the module makes them,
// scripts run at the command line, and the drawing read back through a DXF save: its chains,
// their points along the chain, and the layer, dimension style and UCS a command must leave as
// it found them.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cad/ads/loader.h"
#include "cad/base/utf8.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "chain/chain_generation.h"
#include "chain/chain_request.h"
#include "frame/command_env.h"
#include "module_host.h"
#include "settings/dim_settings.h"
#include "settings/dimstyle.h"

struct SavedDim {
  std::string chain;  // the name of its chain data, "" without
  std::string text;
  std::string layer;
  std::string style;
  cad::Vec3 origin1;
  cad::Vec3 origin2;
  cad::Vec3 line;
};

using Chains = std::map<std::string, std::vector<SavedDim>>;
using Places = std::vector<double>;

constexpr cad::Vec3 kX{1, 0, 0};
constexpr cad::Vec3 kY{0, 1, 0};

struct Environment {
  std::wstring layer;
  std::wstring style;
  cad::Ucs ucs;
};

inline bool operator==(const Environment& a, const Environment& b) {
  return a.layer == b.layer && a.style == b.style && a.ucs.origin == b.ucs.origin &&
         a.ucs.x_axis == b.ucs.x_axis && a.ucs.y_axis == b.ucs.y_axis;
}

class ChainEditTest : public ModuleHostTest {
 protected:
  void SetUp() override {
    ModuleHostTest::SetUp();
    std::string error;
    ASSERT_TRUE(host().modules().load(DULK_BINARY_DIR "/DulkArx.arx", &error)) << error;
  }

  // A chain through points of the current UCS along x (angle 0) or y (pi/2), its extension
  // lines starting on the line across through `line`, made in the current style and layer.
  void make_chain(const std::vector<std::array<double, 2>>& points, double angle,
                  std::array<double, 2> line) {
    run([&] {
      dim_prepare();
      RbValue style;
      acedGetVar(L"DIMSTYLE", style.fill());
      get_dimstyle(style.text());
      RbList list(acutNewRb(RT3DPOINT));
      for (const std::array<double, 2>& p : points) {
        const ads_point point = {p[0], p[1], 0.0};
        add_point(point, list.get(), ChainRequest.point_count);
      }
      ChainRequest.angle = angle;
      ChainRequest.line_point[X] = line[0];
      ChainRequest.line_point[Y] = line[1];
      ChainRequest.line_point[Z] = 0.0;
      create_chain(list.get());
    });
  }

  // The one chain of the drawing.
  std::vector<SavedDim> only_chain() const {
    const Chains all = chains();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? std::vector<SavedDim>{} : all.begin()->second;
  }

  // Changes point group code of the index-th dimension of the drawing.
  void set_point(size_t index, int code, cad::Vec3 p) {
    run([&] {
      RbList data(acdbEntGet(entities(L"DIMENSION").at(index).data()));
      resbuf* group = find_group(data.get(), code);
      group->resval.rpoint[X] = p.x;
      group->resval.rpoint[Y] = p.y;
      group->resval.rpoint[Z] = p.z;
      acdbEntMod(data.get());
    });
  }

  // Copies every dimension of the drawing with the host's COPY, as a user copies a storey, or,
  // with turn (degrees), with ROTATE's Copy about centre.
  void copy_dimensions(cad::Vec3 shift, double turn = 0, cad::Vec3 centre = {}) {
    run([] {
      RbList filter(acutBuildList(RTDXF0, L"DIMENSION", RTNONE));
      ads_name set;
      ASSERT_EQ(acedSSGet(L"X", nullptr, nullptr, filter.get(), set), RTNORM);
      acedSSFree(set);
    });
    const std::string copy =
        turn == 0 ? "_COPY\n_P\n\n" + at({}) + "\n" + at(shift) + "\n\n"
                  : "_ROTATE\n_P\n\n" + at(centre) + "\n_C\n" + std::to_string(turn) + "\n";
    ASSERT_EQ(script(copy), 0) << transcript();
  }

  // Runs text at the command line; the number of failures. No command may keep a selection
  // set.
  int script(const std::string& text) {
    replies(text);
    const int failures = host().command_loop();
    EXPECT_EQ(transcript().find("unfreed"), std::string::npos) << transcript();
    return failures;
  }

  // "x,y" of a world point in the current UCS, as a script gives it.
  static std::string at(cad::Vec3 world) {
    const cad::Vec3 p = cad::current_host()->ucs().from_world(world);
    std::ostringstream out;
    out.precision(12);
    out << p.x << "," << p.y;
    return out.str();
  }

  // A point in the middle of the dimension line of dim.
  static cad::Vec3 on_line(const SavedDim& dim) {
    const cad::Vec3 shift = dim.line - dim.origin2;
    const cad::Vec3 middle = (dim.origin1 + dim.origin2) * 0.5;
    const cad::Vec3 along = dim.origin2 - dim.origin1;
    const double len2 = cad::dot(along, along);
    // The dimension line runs through `line` parallel to the chain, i.e. across from `middle`.
    const cad::Vec3 across = shift - along * (cad::dot(shift, along) / len2);
    return middle + across;
  }

  // Every dimension of the drawing as a DXF save gives it back.
  Chains chains() const {
    const cad::ReadResult read = cad::read_dxf(cad::write_dxf(host_db()), "saved");
    Chains found;
    if (!read.db) {
      ADD_FAILURE() << read.error;
      return found;
    }
    for (cad::RecordId id : read.db->entities()) {
      const cad::Record& rec = read.db->record(id);
      if (rec.type != "DIMENSION") continue;
      SavedDim dim{"",
                   std::string(rec.text(1)),
                   std::string(rec.text(8)),
                   std::string(rec.text(3)),
                   rec.point(13),
                   rec.point(14),
                   rec.point(10)};
      for (size_t i = rec.xdata_begin(); i < rec.groups.size(); ++i) {
        if (rec.groups[i].code == 1001 && rec.groups[i].s().starts_with("$")) {
          dim.chain = rec.groups[i].s();
        }
      }
      found[dim.chain].push_back(dim);
    }
    return found;
  }

  // The places of a chain's extension-line origins along the world direction dir, ascending,
  // one per place.
  static std::vector<double> along(const std::vector<SavedDim>& chain, cad::Vec3 dir) {
    std::vector<double> places;
    for (const SavedDim& dim : chain) {
      places.push_back(cad::dot(dim.origin1, dir));
      places.push_back(cad::dot(dim.origin2, dir));
    }
    std::sort(places.begin(), places.end());
    std::vector<double> merged;
    for (double p : places) {
      const double rounded = std::round(p * 1e6) / 1e6;
      if (merged.empty() || rounded != merged.back()) merged.push_back(rounded);
    }
    return merged;
  }

  // The places of the chain's dimension line across it (world direction dir), one per place.
  static std::vector<double> line_across(const std::vector<SavedDim>& chain, cad::Vec3 dir) {
    std::vector<double> places;
    for (const SavedDim& dim : chain) {
      const double p = std::round(cad::dot(dim.line, dir) * 1e6) / 1e6;
      if (std::find(places.begin(), places.end(), p) == places.end()) places.push_back(p);
    }
    return places;
  }

  Environment environment() const {
    return {text_var(L"CLAYER"), text_var(L"DIMSTYLE"), cad::current_host()->ucs()};
  }

  // The DXF text of the drawing without the handle seed, which undo leaves where it is, since
  // handles are never given twice.
  std::string saved_bytes() const {
    std::string bytes = cad::write_dxf(host_db());
    const size_t seed = bytes.find("$HANDSEED\n  5\n");
    if (seed != std::string::npos) bytes.erase(seed, bytes.find('\n', seed + 15) - seed);
    return bytes;
  }

 private:
  static const cad::Database& host_db() { return cad::current_host()->db(); }
};
