// DIM1 as the module scripts it ("_hori", "_ver", "_continue") and as a person types it: the
// DIMENSION's groups field by field, in the world and in a UCS turned by 30 degrees, and UCS
// OBject finding that UCS again from the dimension.
#include <cmath>
#include <numbers>

#include "cad/geom/arcs.h"
#include "tests/geom/geom_checks.h"
#include "tests/support/host_fixture.h"
#include "tests/support/snapshot.h"

namespace cad::testing {
namespace {

constexpr double kPi = std::numbers::pi;

class Dim1Test : public HostFixture {
 protected:
  const Record& dimension() {
    RecordId id = last_entity();
    EXPECT_NE(id, kNoRecord);
    return db().record(id);
  }

  // The types of the entities in the dimension's block.
  std::vector<std::string> block_types(const Record& dim) {
    std::vector<std::string> out;
    size_t block = db().block_index(dim.text(2));
    if (block == Database::npos) return out;
    for (RecordId id : db().blocks()[block].entities) out.push_back(db().record(id).type);
    return out;
  }
};

bool holds(const std::vector<std::string>& types, std::string_view type) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

TEST_F(Dim1Test, HorizontalDimensionHasItsGroupsAndBlock) {
  ASSERT_EQ(run({T("_dim1"), T("_hori"), P(0, 0), P(10, 0), P(5, 3), T("")}), kRtNorm);
  const Record& dim = dimension();
  EXPECT_EQ(dim.type, "DIMENSION");
  EXPECT_EQ(dim.text(8), "0");
  EXPECT_EQ(dim.text(3), "STANDARD");
  EXPECT_TRUE(near(dim.point(10), {10, 3, 0}));
  EXPECT_TRUE(near(dim.point(13), {0, 0, 0}));
  EXPECT_TRUE(near(dim.point(14), {10, 0, 0}));
  EXPECT_TRUE(near(dim.point(210), {0, 0, 1}));
  EXPECT_DOUBLE_EQ(dim.real(50), 0);
  EXPECT_DOUBLE_EQ(dim.real(51), 0);
  EXPECT_DOUBLE_EQ(dim.real(42), 10);
  EXPECT_EQ(dim.integer(70), 32);
  EXPECT_EQ(dim.text(1), "");
  // The text sits above the middle of the dimension line.
  EXPECT_NEAR(dim.point(11).x, 5, 1e-12);
  EXPECT_GT(dim.point(11).y, 3);

  const std::vector<std::string> types = block_types(dim);
  EXPECT_EQ(std::count(types.begin(), types.end(), "LINE"), 5);  // ticks in the new drawing
  EXPECT_TRUE(holds(types, "MTEXT"));
  EXPECT_TRUE(holds(types, "POINT"));
}

TEST_F(Dim1Test, VerticalDimensionTurnsTheLineAQuarter) {
  ASSERT_EQ(run({T("_dim1"), T("_ver"), P(0, 0), P(0, 10), P(-4, 5), T("")}), kRtNorm);
  const Record& dim = dimension();
  EXPECT_TRUE(near(dim.point(10), {-4, 10, 0}));
  EXPECT_NEAR(dim.real(50), kPi / 2, 1e-12);
  EXPECT_DOUBLE_EQ(dim.real(51), 0);
  EXPECT_DOUBLE_EQ(dim.real(42), 10);
}

TEST_F(Dim1Test, TextGivenReplacesTheMeasurementAsWritten) {
  ASSERT_EQ(run({T("_dim1"), T("_hori"), P(0, 0), P(12.505, 0), P(5, 3), T("12.50{\\A2\\H0.6x5}")}),
            kRtNorm);
  const Record& dim = dimension();
  EXPECT_EQ(dim.text(1), "12.50{\\A2\\H0.6x5}");
  size_t block = db().block_index(dim.text(2));
  ASSERT_NE(block, Database::npos);
  bool found = false;
  for (RecordId id : db().blocks()[block].entities)
    if (db().record(id).type == "MTEXT") found = db().record(id).text(1) == "12.50{\\A2\\H0.6x5}";
  EXPECT_TRUE(found);
}

TEST_F(Dim1Test, ContinueGoesOnFromTheSecondOriginOnTheSameLine) {
  ASSERT_EQ(run({T("_dim1"), T("_hori"), P(0, 0), P(10, 0), P(5, 3), T("")}), kRtNorm);
  const RecordId first = last_entity();
  ASSERT_EQ(run({T("_dim1"), T("_continue"), P(25, 1), T("15")}), kRtNorm);
  ASSERT_NE(last_entity(), first);
  const Record& dim = dimension();
  EXPECT_TRUE(near(dim.point(13), {10, 0, 0}));
  EXPECT_TRUE(near(dim.point(14), {25, 1, 0}));
  EXPECT_TRUE(near(dim.point(10), {25, 3, 0}));
  EXPECT_DOUBLE_EQ(dim.real(50), 0);
  EXPECT_DOUBLE_EQ(dim.real(42), 15);
  EXPECT_EQ(dim.text(1), "15");
  EXPECT_NE(dim.text(2), db().record(first).text(2));
}

TEST_F(Dim1Test, ContinueWithoutADimensionMakesNothing) {
  ASSERT_EQ(run({T("_dim1"), T("_continue")}), kRtNorm);
  EXPECT_TRUE(live_entities("DIMENSION").empty());
}

TEST_F(Dim1Test, InATurnedUcsTheDimensionFollowsTheUcsAxes) {
  ASSERT_EQ(run({T("_ucs"), T("_z"), A(30)}), kRtNorm);
  const Ucs ucs = host_.ucs();
  ASSERT_EQ(run({T("_dim1"), T("_hori"), P(0, 0), P(10, 0), P(5, 2), T("")}), kRtNorm);
  const Record& dim = dimension();
  const double a = kPi / 6;
  EXPECT_TRUE(near(dim.point(13), {0, 0, 0}));
  EXPECT_TRUE(near(dim.point(14), {10 * std::cos(a), 10 * std::sin(a), 0}));
  EXPECT_TRUE(near(dim.point(10), ucs.to_world({10, 2, 0})));
  EXPECT_NEAR(dim.real(50), a, 1e-12);
  EXPECT_NEAR(dim.real(51), 2 * kPi - a, 1e-12);
  EXPECT_NEAR(dim.real(42), 10, 1e-12);

  ASSERT_EQ(run({T("_dim1"), T("_ver"), P(0, 0), P(0, 4), P(-3, 2), T("")}), kRtNorm);
  EXPECT_NEAR(dimension().real(50), a + kPi / 2, 1e-12);
  EXPECT_TRUE(near(dimension().point(10), ucs.to_world({-3, 4, 0})));
}

TEST_F(Dim1Test, UcsObjectOnADimensionGivesBackItsUcs) {
  ASSERT_EQ(run({T("_ucs"), T("_z"), A(30)}), kRtNorm);
  const Ucs drawn_in = host_.ucs();
  ASSERT_EQ(run({T("_dim1"), T("_hori"), P(0, 0), P(10, 0), P(5, 2), T("")}), kRtNorm);
  const RecordId dim = last_entity();
  ASSERT_EQ(run({T("_ucs"), T("_w")}), kRtNorm);
  ASSERT_TRUE(host_.ucs().is_world());

  ASSERT_EQ(run({T("_ucs"), T("_e"), entity(dim)}), kRtNorm);
  EXPECT_TRUE(near(host_.ucs().x_axis, drawn_in.x_axis));
  EXPECT_TRUE(near(host_.ucs().y_axis, drawn_in.y_axis));
  EXPECT_TRUE(near(host_.ucs().origin, db().record(dim).point(11)));
  // Measured back in that UCS, the offset from the second origin to the line is along Y.
  const Vec3 offset = host_.ucs().from_world(db().record(dim).point(10)) -
                      host_.ucs().from_world(db().record(dim).point(14));
  EXPECT_NEAR(offset.x, 0, 1e-9);
  EXPECT_NEAR(offset.y, 2, 1e-9);

  ASSERT_EQ(run({T("_ucs"), T("_previous")}), kRtNorm);
  EXPECT_TRUE(host_.ucs().is_world());
}

TEST_F(Dim1Test, PersonTypesDim1AndEnterKeepsTheMeasurement) {
  EXPECT_EQ(type("dim1\nhor\n0,0\n7.5,0\n3,2\n\n"), 0);
  const Record& dim = dimension();
  EXPECT_EQ(dim.text(1), "");
  EXPECT_DOUBLE_EQ(dim.real(42), 7.5);
  EXPECT_NE(host_.transcript().text().find("Dimension text <7.5>: "), std::string::npos);
}

TEST_F(Dim1Test, EnterOrExitLeavesDim1WithoutChange) {
  const Snapshot before(host_);
  EXPECT_EQ(run({T("_dim1"), T("")}), kRtNorm);
  EXPECT_EQ(run({T("_dim1"), T("_exit")}), kRtNorm);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
}

TEST_F(Dim1Test, TokensEndingInsideDim1LeaveNothingBehind) {
  const Snapshot before(host_);
  EXPECT_NE(run({T("_dim1"), T("_hori"), P(0, 0), P(10, 0)}), kRtNorm);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
}

// Points 1e308 apart measure a length beyond a double's range: the command is undone with a
// message rather than saving infinity or NaN into the drawing, typed, or scripted by a module's
// command, which is undone whole.
TEST_F(Dim1Test, ADimensionMeasuringBeyondTheRangeOfADoubleIsUndone) {
  const Snapshot before(host_);
  EXPECT_EQ(type("dim1\nhor\n-1e308,0\n1e308,0\n0,1\n\n"), 0);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
  add_command("CHAIN", [this] {
    run({T("_line"), P(0, 0), P(1, 1), T("")});
    run({T("_dim1"), T("_hori"), P(-1e308, 0), P(1e308, 0), P(0, 1), T("")});
  });
  EXPECT_EQ(host_.run_command("CHAIN"), CommandResult::kAborted);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
  const std::string t = transcript();
  for (const char* message :
       {"\nValue out of range: DIM1 is undone.", "\nValue out of range: CHAIN is undone."}) {
    const size_t at = t.find(message);
    EXPECT_NE(at, std::string::npos) << message << t;
    EXPECT_EQ(t.find(message, at + 1), std::string::npos) << "once: " << message << t;
  }
}

TEST_F(Dim1Test, UcsZWithoutAnAngleTurnsAQuarter) {
  EXPECT_EQ(type("ucs\nz\n\n"), 0);
  EXPECT_TRUE(near(host_.ucs().x_axis, {0, 1, 0}));
  EXPECT_EQ(type("ucs\n\n"), 0);
  EXPECT_TRUE(host_.ucs().is_world());
}

TEST_F(Dim1Test, UcsObjectOnALineTakesItsStartAndDirection) {
  ASSERT_EQ(run({T("_line"), P(1, 1), P(1, 5), T("")}), kRtNorm);
  ASSERT_EQ(run({T("_ucs"), T("_ob"), entity(last_entity())}), kRtNorm);
  EXPECT_TRUE(near(host_.ucs().origin, {1, 1, 0}));
  EXPECT_TRUE(near(host_.ucs().x_axis, {0, 1, 0}));
  EXPECT_TRUE(near(host_.ucs().y_axis, {-1, 0, 0}));
}

}  // namespace
}  // namespace cad::testing
