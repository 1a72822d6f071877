// Chain generation in the host, through the host's own DIM1 and UCS commands: directions and
// their tolerance, sides, merging points, chain names, the user's UCS and OSMODE.
#include "tests/support/chain_fixture.h"

namespace {

class GenerationTest : public ModuleHost {
 protected:
  void SetUp() override {
    ModuleHost::SetUp();
    set_short_var(L"OSMODE", 33);
  }
  void TearDown() override {
    EXPECT_EQ(short_var(L"OSMODE"), 33);
    ModuleHost::TearDown();
  }
};

void expect_at(const cad::Vec3& p, double x, double y) {
  EXPECT_NEAR(p.x, x, 1e-9);
  EXPECT_NEAR(p.y, y, 1e-9);
}

TEST_F(GenerationTest, HorizontalChainInAscendingOrderWithOneName) {
  make_chain({{5, 0}, {0, 0}, {2, 0}}, 0, {0, -1});
  const std::vector<SavedDim> made = dims();
  ASSERT_EQ(made.size(), 2u);
  // All points lie above the base line, so the dimension line goes below it.
  expect_at(made[0].origin1, 0, -1);
  expect_at(made[0].origin2, 2, -1.1);
  expect_at(made[1].origin1, 2, -1.1);
  expect_at(made[1].origin2, 5, -1);
  EXPECT_NEAR(made[0].line.y, -1.2, 1e-9);
  EXPECT_NEAR(made[1].line.y, -1.2, 1e-9);
  EXPECT_EQ(made[0].text, "2.00{\\A2\\H0.6x}");
  EXPECT_EQ(made[1].text, "3.00{\\A2\\H0.6x}");
  for (const SavedDim& dim : made) {
    EXPECT_EQ(dim.chain, "$" + made[0].handle);
    EXPECT_EQ(dim.tag, "QRM");
  }
  EXPECT_TRUE(RbList(acdbTblSearch(L"APPID", cad::to_wide(made[0].chain).c_str(), 0)));
}

TEST_F(GenerationTest, VerticalChainOnTheFarSideOfTheBasePoint) {
  make_chain({{0, 3}, {0, 0}, {0, 1}}, kPi / 2.0, {2, 0});
  const std::vector<SavedDim> made = dims();
  ASSERT_EQ(made.size(), 2u);
  expect_at(made[0].origin1, 2, 0);
  expect_at(made[0].origin2, 2.1, 1);
  expect_at(made[1].origin2, 2, 3);
  EXPECT_NEAR(made[0].line.x, 2.2, 1e-9);
  EXPECT_EQ(made[0].text, "1.00{\\A2\\H0.6x}");
  EXPECT_EQ(made[1].text, "2.00{\\A2\\H0.6x}");
}

// Within 0.001 of an axis a chain is drawn along the axis, beyond it along its own direction:
// (0,0) to (2,1) measures 2 horizontally, 1 vertically and |2 cos a + sin a| in direction a.
TEST_F(GenerationTest, DirectionsWithinTheToleranceOfAnAxisAreTakenAsTheAxis) {
  const double inside = 0.0009;
  const double outside = 0.0011;
  const struct {
    double angle;
    double measured;  // 0: along the angle
  } cases[] = {
      {-inside, 2},
      {inside, 2},
      {kPi - inside, 2},
      {kPi + inside, 2},
      {kHalfPi - inside, 1},
      {kHalfPi + inside, 1},
      {3 * kHalfPi - inside, 1},
      {3 * kHalfPi + inside, 1},
      {outside, 0},
      {kPi - outside, 0},
      {kHalfPi + outside, 0},
      {3 * kHalfPi - outside, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.angle);
    make_chain({{0, 0}, {2, 1}}, c.angle, {-1, -1}, -1);
    const std::vector<SavedDim> made = dims();
    ASSERT_EQ(made.size(), 1u);
    const double expected =
        c.measured != 0 ? c.measured : std::abs(2 * std::cos(c.angle) + std::sin(c.angle));
    EXPECT_NEAR(made[0].measured, expected, 1e-9);
    EXPECT_TRUE(host().ucs().is_world());
    run([] { acdbEntDel(entities(L"DIMENSION").front().data()); });
  }
}

TEST_F(GenerationTest, ObliqueChainIsDrawnInATurnedUcsThatIsPutBack) {
  const double angle = 2.5;
  const cad::Vec3 along{std::cos(angle), std::sin(angle), 0};
  const cad::Vec3 across{-along.y, along.x, 0};
  std::vector<std::array<double, 2>> points;
  for (double t : {0.0, 1.0, 3.0}) points.push_back({t * along.x, t * along.y});
  make_chain(points, angle, {-across.x, -across.y});
  EXPECT_TRUE(host().ucs().is_world());
  const std::vector<SavedDim> made = dims();
  ASSERT_EQ(made.size(), 2u);
  EXPECT_NEAR(made[0].measured + made[1].measured, 3.0, 1e-6);
  // Beyond the base line, away from the points.
  for (const SavedDim& dim : made) EXPECT_NEAR(cad::dot(dim.line, across), -1.2, 1e-6);

  // Turned by half a turn with the chain, a preset side keeps pointing where it did.
  run([] { acdbEntDel(entities(L"DIMENSION").front().data()); });
  run([] { acdbEntDel(entities(L"DIMENSION").front().data()); });
  make_chain({{0, 0}, {2 * along.x, 2 * along.y}}, angle, {0, 0}, 1);
  ASSERT_EQ(dims().size(), 1u);
  EXPECT_NEAR(cad::dot(dims()[0].line, across), 0.2, 1e-6);
  EXPECT_EQ(transcript().find("Masslinie auf Seite"), std::string::npos);
}

TEST_F(GenerationTest, RefusedUcsTurnLeavesTheUserUcsAndDrawsNothing) {
  run([] { acedCommandS(RTSTR, L"_ucs", RTSTR, L"_z", RTANG, 30.0, RTNONE); });
  const cad::Ucs user = host().ucs();
  ASSERT_TRUE(host().commands().remove("ACAD", "UCS"));
  cad::CommandDef refusing{};
  refusing.group = "ACAD";
  refusing.global_name = "UCS";
  refusing.local_name = "UCS";
  refusing.body = [] { throw cad::CommandCancelled{}; };
  refusing.builtin = true;
  host().commands().add(refusing);
  make_chain({{0, 0}, {1, 1}}, 2.5, {0, -1});
  EXPECT_TRUE(dims().empty());
  EXPECT_NEAR(host().ucs().x_axis.x, user.x_axis.x, 1e-12);
  EXPECT_NEAR(host().ucs().x_axis.y, user.x_axis.y, 1e-12);
}

TEST_F(GenerationTest, PointsCloserThanTheToleranceGiveOneExtensionLine) {
  make_chain({{0, 0}, {0.0005, 0.3}, {2, 0}}, 0, {0, -1});
  const std::vector<SavedDim> made = dims();
  ASSERT_EQ(made.size(), 1u);
  EXPECT_NEAR(made[0].origin1.x, 0.0005, 1e-12);
  EXPECT_NEAR(made[0].measured, 1.9995, 1e-9);
  // Fewer than two places make nothing.
  make_chain({{1, 0}}, 0, {0, -1});
  EXPECT_EQ(dims().size(), 1u);
}

// A base point between the points asks for the side; input other than a point asks again, and
// Esc gives the chain up.
TEST_F(GenerationTest, SideIsAskedWhenTheBasePointLiesBetween) {
  replies("foo\n1,5\n");
  make_chain({{0, 0}, {2, 2}}, 0, {0, 1});
  EXPECT_EQ(count_lines("Masslinie auf Seite:foo"), 1u) << transcript();
  EXPECT_EQ(count_lines("Masslinie auf Seite:1,5"), 1u) << transcript();
  ASSERT_EQ(dims().size(), 1u);
  EXPECT_NEAR(dims()[0].line.y, 1.2, 1e-9);

  replies("^C\n");
  make_chain({{0, 10}, {2, 12}}, 0, {0, 11}, 0, RTCAN);
  EXPECT_EQ(dims().size(), 1u);
}

TEST_F(GenerationTest, PresetSideIsNeverAsked) {
  make_chain({{0, 0}, {2, 2}}, 0.0, {0, 1}, -1);
  EXPECT_EQ(transcript().find("Masslinie auf Seite"), std::string::npos);
  ASSERT_EQ(dims().size(), 1u);
  EXPECT_NEAR(dims()[0].line.y, 0.8, 1e-9);
}

TEST_F(GenerationTest, FailedFirstDimensionTagsNothing) {
  run([] {
    ads_point from = {0, 5, 0};
    ads_point to = {3, 5, 0};
    acedCommandS(RTSTR, L"_line", RTPOINT, from, RTPOINT, to, RTSTR, L"", RTNONE);
  });
  ASSERT_TRUE(host().commands().remove("ACAD", "DIM1"));
  cad::CommandDef idle{};
  idle.group = "ACAD";
  idle.global_name = "DIM1";
  idle.local_name = "DIM1";
  idle.body = [] {};
  idle.builtin = true;
  host().commands().add(idle);
  make_chain({{0, 0}, {2, 0}, {4, 0}}, 0, {0, -1});
  EXPECT_TRUE(dims().empty());
  EXPECT_NE(transcript().find("Erste Bemassung wurde nicht erzeugt"), std::string::npos);
  const std::vector<Name> lines = entities(L"LINE");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(text_group(lines[0], 1001, true), L"");
}

TEST_F(GenerationTest, LongHandlesNameTheChainInFull) {
  host().db().raise_handseed(0x123456789ull);
  make_chain({{0, 0}, {2, 0}, {4, 0}}, 0, {0, -1});
  const std::vector<SavedDim> made = dims();
  ASSERT_EQ(made.size(), 2u);
  ASSERT_GT(made[0].handle.size(), 8u);
  EXPECT_EQ(made[0].chain, "$" + made[0].handle);
  EXPECT_EQ(made[1].chain, made[0].chain);
}

}  // namespace
