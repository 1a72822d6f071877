// The module's test fixtures. ModuleHost: the host fixture (a fresh stand-in host per test with
// the host's own commands and a new drawing), in which the module's routines (compiled into the
// test program) run as the body of a command. ChainFixture: that host with the built module loaded,
// scripts run at the command line, chains made the way the module makes them, and the drawing read
// back through a DXF save: its chains, their places along and across, and what a command must leave
// as it found it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cwchar>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cad/ads/loader.h"
#include "cad/ads/undo.h"
#include "cad/base/utf8.h"
#include "cad/dxf/compare.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "chain/chain_data.h"
#include "chain/chain_generation.h"
#include "chain/chain_request.h"
#include "frame/command_env.h"
#include "frame/owners.h"
#include "frame/rb_tools.h"
#include "host/arxHeaders.h"
#include "settings/dim_settings.h"
#include "settings/dimstyle.h"
#include "tests/support/host_fixture.h"

using Name = std::array<int64_t, 2>;
using Places = std::vector<double>;

constexpr cad::Vec3 kX{1, 0, 0};
constexpr cad::Vec3 kY{0, 1, 0};

// The settings a carrier holds, in the order of its extended data.
struct CarrierData {
  std::wstring style;
  std::vector<double> reals;  // chain_spacing, dimline_distance, ext_length, length_factor
  std::vector<short> shorts;  // min_decimals, raised_after
};

// A dimension as a DXF save gives it back.
struct SavedDim {
  std::string chain;  // the name of its chain data ("$..."), "" without
  std::string tag;    // the first text of its extended data
  std::string handle;
  std::string text;
  std::string layer;
  std::string style;
  cad::Vec3 origin1;  // 13
  cad::Vec3 origin2;  // 14
  cad::Vec3 line;     // 10
  double measured = -1;
  double rotation = 0;  // 50, radians
};

// Every dimension of a drawing by the name of its chain ("" for those without), each chain in
// drawing order.
using Chains = std::map<std::string, std::vector<SavedDim>>;

// The user's layer, dimension style and UCS (origin and axes).
using Environment = std::tuple<std::wstring, std::wstring, cad::Vec3, cad::Vec3, cad::Vec3>;

class ModuleHost : public cad::testing::HostFixture {
 protected:
  void SetUp() override { DimSettings = {}; }

  cad::Host& host() { return host_; }

  // The transcript, one line each without its trailing blanks, without the empty line the host
  // starts with.
  std::vector<std::string> lines() {
    std::vector<std::string> out;
    std::istringstream in(transcript());
    for (std::string line; std::getline(in, line);) {
      line.erase(line.find_last_not_of(' ') + 1);
      if (!line.empty() || !out.empty()) out.push_back(line);
    }
    return out;
  }

  // Whether the transcript holds the given lines one after the other, each line in full.
  bool has_run(const std::vector<std::string>& run) {
    const std::vector<std::string> all = lines();
    return std::search(all.begin(), all.end(), run.begin(), run.end()) != all.end();
  }

  size_t count_lines(const std::string& line) {
    const std::vector<std::string> all = lines();
    return static_cast<size_t>(std::count(all.begin(), all.end(), line));
  }

  // Main entities of the drawing of one type, in drawing order.
  static std::vector<Name> entities(const wchar_t* type) {
    std::vector<Name> found;
    ads_name ent;
    for (int status = acdbEntNext(nullptr, ent); status == RTNORM; status = acdbEntNext(ent, ent)) {
      RbList data(acdbEntGet(ent));
      const resbuf* kind = rb_assoc(data.get(), 0);
      if (kind != nullptr && std::wcscmp(kind->resval.rstring, type) == 0)
        found.push_back({ent[0], ent[1]});
    }
    return found;
  }

  // A text group of an entity (-3 with "*" reads every application's data).
  static std::wstring text_group(const Name& ent, int code, bool with_xdata = false) {
    RbList apps(new_text_node(RTSTR, L"*"));
    RbList data(acdbEntGetX(ent.data(), with_xdata ? apps.get() : nullptr));
    const resbuf* group = rb_assoc(data.get(), code);
    return group != nullptr && group->resval.rstring != nullptr ? group->resval.rstring : L"";
  }

  static short short_var(const wchar_t* name) {
    RbValue value;
    acedGetVar(name, value.fill());
    return value.get().resval.rint;
  }

  static double real_var(const wchar_t* name) {
    RbValue value;
    acedGetVar(name, value.fill());
    return value.get().resval.rreal;
  }

  static std::wstring text_var(const wchar_t* name) {
    RbValue value;
    acedGetVar(name, value.fill());
    return value.text() != nullptr ? value.text() : L"";
  }

  static void set_real_var(const wchar_t* name, double value) {
    cad::testing::set_var(name, cad::testing::rb_real(value));
  }

  static void set_short_var(const wchar_t* name, short value) {
    cad::testing::set_short(name, value);
  }

  // The carriers of the drawing (INSERTs with settings data).
  static std::vector<Name> carriers() {
    std::vector<Name> found;
    for (const Name& insert : entities(L"INSERT"))
      if (!text_group(insert, 1001, true).empty()) found.push_back(insert);
    return found;
  }

  static CarrierData carrier_data(const Name& carrier) {
    RbList apps(new_text_node(RTSTR, L"TAV"));
    RbList data(acdbEntGetX(carrier.data(), apps.get()));
    CarrierData out;
    const resbuf* app = rb_assoc(data.get(), 1001);
    EXPECT_NE(app, nullptr);
    for (const resbuf* node = app != nullptr ? app->rbnext : nullptr; node != nullptr;
         node = node->rbnext) {
      if (node->restype == 1000) out.style = node->resval.rstring;
      if (node->restype == 1040) out.reals.push_back(node->resval.rreal);
      if (node->restype == 1070) out.shorts.push_back(node->resval.rint);
    }
    return out;
  }

  // The settings of the only carrier of the drawing.
  static CarrierData only_carrier() {
    const std::vector<Name> found = carriers();
    EXPECT_EQ(found.size(), 1u);
    return found.empty() ? CarrierData{} : carrier_data(found.front());
  }

  // Every dimension of the drawing as a DXF save gives it back.
  Chains chains() const {
    const cad::ReadResult read = cad::read_dxf(cad::write_dxf(cad::current_host()->db()), "saved");
    Chains found;
    if (!read.db) {
      ADD_FAILURE() << read.error;
      return found;
    }
    for (cad::RecordId id : read.db->entities()) {
      const cad::Record& rec = read.db->record(id);
      if (rec.type != "DIMENSION") continue;
      const auto text = [&rec](int code) { return std::string(rec.text(code)); };
      SavedDim dim{"",
                   "",
                   text(5),
                   text(1),
                   text(8),
                   text(3),
                   rec.point(13),
                   rec.point(14),
                   rec.point(10),
                   rec.real(42, -1),
                   rec.real(50)};
      for (size_t i = rec.xdata_begin(); i < rec.groups.size(); ++i) {
        const cad::Group& group = rec.groups[i];
        if (group.code == 1001 && group.s().starts_with("$") && dim.chain.empty())
          dim.chain = group.s();
        if (group.code == 1000 && dim.tag.empty()) dim.tag = group.s();
      }
      found[dim.chain].push_back(dim);
    }
    return found;
  }

  // Every dimension of the drawing, in drawing order.
  std::vector<SavedDim> dims() const {
    std::vector<SavedDim> all;
    for (const auto& [name, chain] : chains()) all.insert(all.end(), chain.begin(), chain.end());
    std::sort(all.begin(), all.end(), [](const SavedDim& a, const SavedDim& b) {
      return std::stoull(a.handle, nullptr, 16) < std::stoull(b.handle, nullptr, 16);
    });
    return all;
  }

  // The one chain of the drawing.
  std::vector<SavedDim> only_chain() const {
    const Chains all = chains();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? std::vector<SavedDim>{} : all.begin()->second;
  }

  // Generates one chain inside a command through the module's routines, in the current style
  // and layer: the points of the current UCS, the extension lines starting on the line across
  // through line_point, the side preset (0 asks when the points lie on both sides).
  cad::CommandResult make_chain(const std::vector<std::array<double, 2>>& points, double angle,
                                std::array<double, 2> line_point, int side = 0, int made = RTNORM) {
    return run([&] {
      dim_prepare();
      get_dimstyle(text_var(L"DIMSTYLE").c_str());
      ChainRequest.side = side;
      ChainRequest.angle = angle;
      const ads_point across = {line_point[0], line_point[1], 0.0};
      std::copy(across, across + 3, ChainRequest.line_point);
      RbList list(acutNewRb(RT3DPOINT));
      for (const std::array<double, 2>& p : points) {
        const ads_point point = {p[0], p[1], 0.0};
        add_point(point, list.get(), ChainRequest.point_count);
      }
      EXPECT_EQ(create_chain(list.get()), made);
    });
  }

  // The places of a chain's extension-line origins along the world direction dir, ascending,
  // one per place (rounded to 1e-6).
  static Places along(const std::vector<SavedDim>& chain, cad::Vec3 dir) {
    Places places;
    for (const SavedDim& dim : chain) {
      places.push_back(round6(cad::dot(dim.origin1, dir)));
      places.push_back(round6(cad::dot(dim.origin2, dir)));
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    return places;
  }

  // The places of the chain's dimension line across it (world direction dir), one per place.
  static Places line_across(const std::vector<SavedDim>& chain, cad::Vec3 dir) {
    Places places;
    for (const SavedDim& dim : chain) {
      const double p = round6(cad::dot(dim.line, dir));
      if (std::find(places.begin(), places.end(), p) == places.end()) places.push_back(p);
    }
    return places;
  }

  static double round6(double v) { return std::round(v * 1e6) / 1e6; }

  Environment environment() const {
    const cad::Ucs ucs = cad::current_host()->ucs();
    return {text_var(L"CLAYER"), text_var(L"DIMSTYLE"), ucs.origin, ucs.x_axis, ucs.y_axis};
  }

  // The DXF text of the drawing without the handle seed, which undo leaves where it is, since
  // handles are never given twice.
  std::string saved_bytes() const {
    std::string bytes = cad::write_dxf(cad::current_host()->db());
    const size_t seed = bytes.find("$HANDSEED\n  5\n");
    if (seed != std::string::npos) bytes.erase(seed, bytes.find('\n', seed + 15) - seed);
    return bytes;
  }
};

class ChainFixture : public ModuleHost {
 protected:
  void SetUp() override {
    ModuleHost::SetUp();
    std::string error;
    ASSERT_TRUE(host().modules().load(DULK_BINARY_DIR "/DulkArx.arx", &error)) << error;
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
    const cad::Vec3 along = dim.origin2 - dim.origin1;
    const cad::Vec3 across = shift - along * (cad::dot(shift, along) / cad::dot(along, along));
    return (dim.origin1 + dim.origin2) * 0.5 + across;
  }

  // Changes point group code of the index-th dimension of the drawing, as a grip edit does.
  void set_point(size_t index, int code, cad::Vec3 p) {
    run([&] {
      RbList data(acdbEntGet(entities(L"DIMENSION").at(index).data()));
      resbuf* group = rb_assoc(data.get(), code);
      const ads_point at = {p.x, p.y, p.z};
      std::copy(at, at + 3, group->resval.rpoint);
      acdbEntMod(data.get());
    });
  }
};
