// Chain generation in the host: directions, sides, merging points, texts, chain names and
// OSMODE, through the host's own DIM1 and UCS commands.
#include "chain_checks.h"

namespace {

TEST_F(ChainTest, HorizontalChainInAscendingOrderWithOneName) {
  make_chain({{{5, 0, 0}, {0, 0, 0}, {2, 0, 0}}, {0, -1, 0}});
  const std::vector<DimInfo> made = dims();
  ASSERT_EQ(made.size(), 2u);
  // All points lie above the base line, so the dimension line goes below it.
  expect_point(made[0].origin1, 0, -1);
  expect_point(made[0].origin2, 2, -1.1);
  expect_point(made[1].origin1, 2, -1.1);
  expect_point(made[1].origin2, 5, -1);
  EXPECT_NEAR(made[0].line[1], -1.2, 1e-9);
  EXPECT_NEAR(made[1].line[1], -1.2, 1e-9);
  EXPECT_EQ(made[0].text, L"2.00{\\A2\\H0.6x}");
  EXPECT_EQ(made[1].text, L"3.00{\\A2\\H0.6x}");
  const std::wstring name = L"$" + made[0].handle;
  for (const DimInfo& dim : made) {
    EXPECT_EQ(dim.chain, name);
    EXPECT_EQ(dim.tag, L"QRM");
  }
  EXPECT_TRUE(RbList(acdbTblSearch(L"APPID", name.c_str(), 0)));
  EXPECT_EQ(scripted().back(), "_dim1 _restore STANDARD");
}

TEST_F(ChainTest, VerticalChainOnTheFarSideOfTheBasePoint) {
  make_chain({{{0, 3, 0}, {0, 0, 0}, {0, 1, 0}}, {2, 0, 0}, kPi / 2.0});
  const std::vector<DimInfo> made = dims();
  ASSERT_EQ(made.size(), 2u);
  expect_point(made[0].origin1, 2, 0);
  expect_point(made[0].origin2, 2.1, 1);
  expect_point(made[1].origin2, 2, 3);
  EXPECT_NEAR(made[0].line[0], 2.2, 1e-9);
  EXPECT_EQ(made[0].text, L"1.00{\\A2\\H0.6x}");
  EXPECT_EQ(made[1].text, L"2.00{\\A2\\H0.6x}");
}

TEST_F(ChainTest, NearlyAxisAnglesKeepTheUcs) {
  make_chain({{{0, 0, 0}, {1, 0, 0}}, {0, -1, 0}, 0.0005});
  make_chain({{{0, 0, 0}, {0, 1, 0}}, {1, 0, 0}, 1.5702});
  EXPECT_TRUE(scripted_contains("_dim1 _hori"));
  EXPECT_TRUE(scripted_contains("_dim1 _ver"));
  EXPECT_FALSE(scripted_contains("_ucs"));
  EXPECT_EQ(dims().size(), 2u);
}

// Unit vectors along and across a chain direction.
struct Frame {
  double along[2];
  double across[2];
};

Frame frame_of(double angle) {
  return {{std::cos(angle), std::sin(angle)}, {-std::sin(angle), std::cos(angle)}};
}

double across_of(const Point& p, const Frame& f) { return p[0] * f.across[0] + p[1] * f.across[1]; }

TEST_F(ChainTest, RotatedChainTurnsHalfAroundAndPutsTheUcsBack) {
  const Frame f = frame_of(2.5);
  ChainInput input;
  for (double t : {0.0, 1.0, 3.0}) input.points.push_back({t * f.along[0], t * f.along[1], 0});
  input.line_point = {-f.across[0], -f.across[1], 0};
  input.angle = 2.5;
  make_chain(input);
  EXPECT_DOUBLE_EQ(ChainRequest.angle, 2.5 + kPi);
  EXPECT_TRUE(host().ucs().is_world());
  EXPECT_TRUE(scripted_contains("_ucs _z"));
  EXPECT_EQ(scripted().back(), "_ucs _previous");
  const std::vector<DimInfo> made = dims();
  ASSERT_EQ(made.size(), 2u);
  EXPECT_NEAR(made[0].measured + made[1].measured, 3.0, 1e-6);
  for (const DimInfo& dim : made) {
    // Beyond the base line, away from the points.
    EXPECT_NEAR(across_of(dim.line, f), -1.2, 1e-6);
  }
}

TEST_F(ChainTest, PresetSideTurnsWithTheChainDirection) {
  const Frame f = frame_of(2.5);
  ChainInput input;
  for (double t : {0.0, 2.0}) input.points.push_back({t * f.along[0], t * f.along[1], 0});
  input.angle = 2.5;
  input.side = 1;
  make_chain(input);
  const std::vector<DimInfo> made = dims();
  ASSERT_EQ(made.size(), 1u);
  EXPECT_NEAR(across_of(made[0].line, f), 0.2, 1e-6);
  EXPECT_EQ(transcript().find("Masslinie auf Seite"), std::string::npos);
}

TEST_F(ChainTest, RefusedUcsTurnLeavesTheUserUcsAndDrawsNothing) {
  run([] { acedCommandS(RTSTR, L"_ucs", RTSTR, L"_z", RTANG, 30.0, RTNONE); });
  const cad::Ucs user = host().ucs();
  ASSERT_TRUE(host().commands().remove("ACAD", "UCS"));
  cad::CommandDef refusing;
  refusing.group = "ACAD";
  refusing.global_name = "UCS";
  refusing.local_name = "UCS";
  refusing.body = [] { throw cad::CommandCancelled{}; };
  refusing.builtin = true;
  host().commands().add(refusing);

  make_chain({{{0, 0, 0}, {1, 1, 0}}, {0, -1, 0}, 2.5});
  EXPECT_TRUE(dims().empty());
  EXPECT_FALSE(scripted_contains("_ucs _previous"));
  EXPECT_NEAR(host().ucs().x_axis.x, user.x_axis.x, 1e-12);
  EXPECT_NEAR(host().ucs().x_axis.y, user.x_axis.y, 1e-12);
}

TEST_F(ChainTest, PointsCloserThanTheToleranceGiveOneExtensionLine) {
  make_chain({{{0, 0, 0}, {0.0005, 0.3, 0}, {2, 0, 0}}, {0, -1, 0}});
  const std::vector<DimInfo> made = dims();
  ASSERT_EQ(made.size(), 1u);
  EXPECT_NEAR(made[0].origin1[0], 0.0005, 1e-12);
  EXPECT_NEAR(made[0].measured, 1.9995, 1e-9);
  EXPECT_FALSE(scripted_contains("_dim1 _continue"));
}

TEST_F(ChainTest, AllPointsAtOnePlaceMakeNoDimension) {
  set_short_var(L"OSMODE", 33);
  make_chain({{{1, 0, 0}, {1, 5, 0}, {1.0002, 2, 0}}, {0, -1, 0}});
  EXPECT_TRUE(dims().empty());
  EXPECT_FALSE(scripted_contains("_dim1 _hori"));
  EXPECT_NE(transcript().find("Keine neue Bemassung generiert !"), std::string::npos);
  EXPECT_EQ(short_var(L"OSMODE"), 33);
  // Fewer than two points likewise; a chain made keeps OSMODE too.
  make_chain({{{1, 0, 0}}, {0, -1, 0}});
  EXPECT_TRUE(dims().empty());
  EXPECT_EQ(short_var(L"OSMODE"), 33);
  make_chain({{{1, 0, 0}, {3, 0, 0}}, {0, -1, 0}});
  EXPECT_EQ(short_var(L"OSMODE"), 33);
}

// A base point between the points asks for the side; input other than a point asks again.
TEST_F(ChainTest, SideIsAskedWhenTheBasePointLiesBetween) {
  replies("foo\n1,5\n");
  EXPECT_EQ(make_chain({{{0, 0, 0}, {2, 2, 0}}, {0, 1, 0}}), cad::CommandResult::kDone);
  size_t asked = 0;
  for (size_t at = transcript().find("Masslinie auf Seite:"); at != std::string::npos;
       at = transcript().find("Masslinie auf Seite:", at + 1))
    ++asked;
  EXPECT_EQ(asked, 2u) << transcript();
  const std::vector<DimInfo> made = dims();
  ASSERT_EQ(made.size(), 1u);
  EXPECT_NEAR(made[0].line[1], 1.2, 1e-9);
  EXPECT_EQ(ChainRequest.side, 1);
}

// Esc at the side gives the chain up: nothing drawn, OSMODE as before.
TEST_F(ChainTest, EscAtTheSidePromptDrawsNothing) {
  set_short_var(L"OSMODE", 33);
  replies("^C\n");
  EXPECT_EQ(make_chain({{{0, 0, 0}, {2, 2, 0}}, {0, 1, 0}}, RTCAN), cad::CommandResult::kDone);
  EXPECT_TRUE(dims().empty());
  EXPECT_EQ(short_var(L"OSMODE"), 33);
}

TEST_F(ChainTest, PresetSideIsNeverAsked) {
  make_chain({{{0, 0, 0}, {2, 2, 0}}, {0, 1, 0}, 0.0, -1});
  EXPECT_EQ(transcript().find("Masslinie auf Seite"), std::string::npos);
  const std::vector<DimInfo> made = dims();
  ASSERT_EQ(made.size(), 1u);
  EXPECT_NEAR(made[0].line[1], 0.8, 1e-9);
}

TEST_F(ChainTest, FailedFirstDimensionTagsNothing) {
  run([] {
    ads_point from = {0, 5, 0};
    ads_point to = {3, 5, 0};
    acedCommandS(RTSTR, L"_line", RTPOINT, from, RTPOINT, to, RTSTR, L"", RTNONE);
  });
  ASSERT_TRUE(host().commands().remove("ACAD", "DIM1"));
  cad::CommandDef idle;
  idle.group = "ACAD";
  idle.global_name = "DIM1";
  idle.local_name = "DIM1";
  idle.body = [] {};
  idle.builtin = true;
  host().commands().add(idle);

  make_chain({{{0, 0, 0}, {2, 0, 0}, {4, 0, 0}}, {0, -1, 0}});
  EXPECT_TRUE(dims().empty());
  EXPECT_NE(transcript().find("Erste Bemassung wurde nicht erzeugt"), std::string::npos);
  const std::vector<Name> lines = entities(L"LINE");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(text_group(lines[0], 1001, true), L"");
}

TEST_F(ChainTest, LongHandlesNameTheChainInFull) {
  host().db().raise_handseed(0x123456789ull);
  make_chain({{{0, 0, 0}, {2, 0, 0}, {4, 0, 0}}, {0, -1, 0}});
  const std::vector<DimInfo> made = dims();
  ASSERT_EQ(made.size(), 2u);
  ASSERT_GT(made[0].handle.size(), 8u);
  EXPECT_EQ(made[0].chain, L"$" + made[0].handle);
  EXPECT_EQ(made[1].chain, made[0].chain);
}

TEST_F(ChainTest, MeasurementsFollowTheSettings) {
  run([] {
    get_dimstyle(L"STANDARD");
    DimSettings.length_factor = 100.0;
    DimSettings.raised_after = 0;
    DimSettings.min_decimals = 0;
    set_dimstyle(DimSettings.style_name);
  });
  make_chain({{{0, 0, 0}, {2.385, 0, 0}, {3.385, 0, 0}}, {0, -1, 0}});
  const std::vector<DimInfo> made = dims();
  ASSERT_EQ(made.size(), 2u);
  EXPECT_EQ(made[0].text, L"238{\\A2\\H0.6x5}");
  EXPECT_EQ(made[1].text, L"100{\\A2\\H0.6x}");
}

}  // namespace
