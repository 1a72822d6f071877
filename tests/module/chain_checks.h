// Making chains in a test host and reading their dimensions back.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "chain/chain_data.h"
#include "chain/chain_generation.h"
#include "module_host.h"
#include "settings/dim_settings.h"
#include "settings/dimstyle.h"

using Name = std::array<int64_t, 2>;
using Point = std::array<double, 3>;

struct ChainInput {
  std::vector<Point> points;
  Point line_point{0, 0, 0};
  double angle = 0.0;
  int side = 0;
};

// What a chain dimension holds.
struct DimInfo {
  Point origin1;  // 13
  Point origin2;  // 14
  Point line;     // 10
  std::wstring text;
  double measured;
  std::wstring chain;  // first 1001
  std::wstring tag;    // first 1000
  std::wstring handle;
};

class ChainTest : public ModuleHostTest {
 protected:
  void SetUp() override {
    ModuleHostTest::SetUp();
    DimSettings = {};
  }

  // Generates one chain inside a command, with the settings of STANDARD loaded first;
  // create_chain is to answer made.
  cad::CommandResult make_chain(const ChainInput& input, int made = RTNORM) {
    return run([&input, made] {
      get_dimstyle(L"STANDARD");
      ChainRequest.point_count = 1;
      ChainRequest.side = input.side;
      ChainRequest.angle = input.angle;
      for (int i = 0; i < 3; ++i) ChainRequest.line_point[i] = input.line_point[i];
      RbList list(acutNewRb(RT3DPOINT));
      for (const Point& p : input.points) add_point(p.data(), list.get(), ChainRequest.point_count);
      EXPECT_EQ(create_chain(list.get()), made);
    });
  }

  static DimInfo dim_info(const Name& dim) {
    DimInfo info;
    info.origin1 = point_group(dim, 13);
    info.origin2 = point_group(dim, 14);
    info.line = point_group(dim, 10);
    info.text = text_group(dim, 1);
    info.chain = text_group(dim, 1001, true);
    info.tag = text_group(dim, 1000, true);
    info.handle = text_group(dim, 5);
    RbList data(acdbEntGet(dim.data()));
    const resbuf* measured = find_group(data.get(), 42);
    info.measured = measured != nullptr ? measured->resval.rreal : -1.0;
    return info;
  }

  static std::vector<DimInfo> dims() {
    std::vector<DimInfo> out;
    for (const Name& dim : entities(L"DIMENSION")) out.push_back(dim_info(dim));
    return out;
  }

  bool scripted_contains(const std::string& prefix) const {
    for (const std::string& line : scripted()) {
      if (line.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }
};

inline void expect_point(const Point& actual, double x, double y) {
  EXPECT_NEAR(actual[0], x, 1e-9);
  EXPECT_NEAR(actual[1], y, 1e-9);
}
