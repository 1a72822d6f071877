// Chain generation in the host, through the host's own DIM1 and UCS commands, where a script
// cannot reach (command_cases.txt holds the rest): directions and their tolerance, a preset side
// turned with the chain, the user's UCS, a first dimension not made, long handles and OSMODE.
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

  // The host's command of that name replaced by body.
  void replace_command(const std::string& name, std::function<void()> body) {
    ASSERT_TRUE(host().commands().remove("ACAD", name));
    cad::CommandDef def{};
    def.group = "ACAD";
    def.global_name = def.local_name = name;
    def.body = std::move(body);
    def.builtin = true;
    host().commands().add(def);
  }
};

// Within 0.001 of an axis a chain is drawn along the axis, beyond it along its own direction:
// (0,0) to (2,1) measures 2 horizontally, 1 vertically and |2 cos a + sin a| in direction a.
TEST_F(GenerationTest, DirectionsWithinTheToleranceOfAnAxisAreTakenAsTheAxis) {
  std::vector<std::pair<double, double>> cases;  // angle, measured (0: along the angle)
  for (double d : {-0.0009, 0.0009}) {
    for (double axis : {0.0, kPi}) cases.push_back({axis + d, 2});
    for (double axis : {kHalfPi, 3 * kHalfPi}) cases.push_back({axis + d, 1});
  }
  for (double a : {0.0011, kPi - 0.0011, kHalfPi + 0.0011, 3 * kHalfPi - 0.0011})
    cases.push_back({a, 0});
  for (const auto& [angle, measured] : cases) {
    SCOPED_TRACE(angle);
    make_chain({{0, 0}, {2, 1}}, angle, {-1, -1}, -1);
    const std::vector<SavedDim> made = dims();
    ASSERT_EQ(made.size(), 1u);
    const double expected =
        measured != 0 ? measured : std::abs(2 * std::cos(angle) + std::sin(angle));
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

  // Turned by half a turn with the chain, a preset side keeps pointing where it did, and is not
  // asked although the base point lies among the points.
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
  replace_command("UCS", [] { throw cad::CommandCancelled{}; });
  make_chain({{0, 0}, {1, 1}}, 2.5, {0, -1});
  EXPECT_TRUE(dims().empty());
  EXPECT_NEAR(host().ucs().x_axis.x, user.x_axis.x, 1e-12);
  EXPECT_NEAR(host().ucs().x_axis.y, user.x_axis.y, 1e-12);
}

TEST_F(GenerationTest, FailedFirstDimensionTagsNothing) {
  run([] {
    ads_point from = {0, 5, 0};
    ads_point to = {3, 5, 0};
    acedCommandS(RTSTR, L"_line", RTPOINT, from, RTPOINT, to, RTSTR, L"", RTNONE);
  });
  replace_command("DIM1", [] {});
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
