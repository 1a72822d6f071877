// Dulk beside an existing dimension ("aUssen", "Innen", Enter): the new chain runs along the
// reference dimension, one chain spacing outside or inside its dimension line, whatever the
// dimension's direction, the UCS it was drawn in and the UCS the chain is made in.
#include <cmath>
#include <numbers>
#include <set>

#include "dulk_fixture.h"

namespace {

// A reference dimension drawn with DIM1 in a UCS turned by ref_ucs degrees, measuring (0,0) to
// (10,0) (or (0,0) to (0,10) when vertical) with its dimension line 3 units away; Dulk then runs
// in a UCS turned by dulk_ucs degrees.
struct Placement {
  const char* name;
  double ref_ucs;
  bool vertical;
  double dulk_ucs;
};

void PrintTo(const Placement& p, std::ostream* out) { *out << p.name; }

class DulkReferenceTest : public DulkTest, public ::testing::WithParamInterface<Placement> {
 protected:
  // World geometry of the reference: its first measured point, the direction of its points,
  // the direction from its points to its dimension line, and a point on that line.
  struct Reference {
    cad::Vec3 start;
    cad::Vec3 along;
    cad::Vec3 across;
    cad::Vec3 on_line;
  };

  Reference make_reference(const Placement& p) {
    ucs_turned(p.ref_ucs);
    const cad::Vec3 end = p.vertical ? cad::Vec3{0, 10, 0} : cad::Vec3{10, 0, 0};
    const cad::Vec3 location = p.vertical ? cad::Vec3{-3, 5, 0} : cad::Vec3{5, 3, 0};
    Reference ref{to_world({0, 0, 0}), cad::normalized(to_world(end) - to_world({0, 0, 0})),
                  cad::normalized(to_world(location) - to_world(end * 0.5)), to_world(location)};
    EXPECT_EQ(script(std::string("DIM1\n") + (p.vertical ? "VER" : "HOR") + "\n0,0\n" +
                     at(to_world(end)) + "\n" + at(ref.on_line) + "\n\n"),
              0)
        << transcript();
    ucs_turned(p.dulk_ucs);
    return ref;
  }

  // Dulk through three points of the reference's line of points, placed with the given reply
  // at the position prompt.
  void dulk_beside(const Reference& ref, const std::string& keyword) {
    std::string text = "Dulk\n";
    for (double t : {0.0, 4.0, 10.0}) text += at(ref.start + ref.along * t) + "\n";
    text += "\n" + keyword + "\n" + at(ref.on_line) + "\n";
    ASSERT_EQ(script(text), 0) << transcript();
  }

  // Offsets (from the line of measured points, towards the reference's dimension line) of the
  // new chain's dimension line and of its extension-line origins, rounded to 1e-6.
  void expect_offsets(const Reference& ref, double line, std::set<double> origins) {
    const std::vector<SavedDim> chain = new_chain();
    ASSERT_EQ(chain.size(), 2u) << transcript();
    std::set<double> found;
    auto round = [](double v) { return std::round(v * 1e6) / 1e6; };
    for (const SavedDim& dim : chain) {
      EXPECT_NEAR(offset(dim.line, ref.start, ref.across), line, 1e-6);
      found.insert(round(offset(dim.origin1, ref.start, ref.across)));
      found.insert(round(offset(dim.origin2, ref.start, ref.across)));
    }
    EXPECT_EQ(found, origins);
    const std::vector<double> places = along(chain, ref.along);
    ASSERT_EQ(places.size(), 3u);
    const double start = cad::dot(ref.start, ref.along);
    EXPECT_NEAR(places[0] - start, 0.0, 1e-6);
    EXPECT_NEAR(places[1] - start, 4.0, 1e-6);
    EXPECT_NEAR(places[2] - start, 10.0, 1e-6);
    EXPECT_EQ(count_lines("Masslinie auf Seite:"), 0u) << transcript();
  }
};

// With the style's chain spacing 0.3, dimension-line distance 0.2 and extension length 0.1: the
// new dimension line lies 0.3 beyond the reference's, its outer extension lines start 0.1
// beyond it and the inner ones 0.1 before the new dimension line.
TEST_P(DulkReferenceTest, OutsideLiesOneSpacingBeyondTheReference) {
  const Reference ref = make_reference(GetParam());
  dulk_beside(ref, "U");
  expect_offsets(ref, 3.3, {3.1, 3.2});
}

// Inside: the dimension line 0.3 before the reference's, the outer extension lines starting
// 0.2 before that.
TEST_P(DulkReferenceTest, InsideLiesOneSpacingBeforeTheReference) {
  const Reference ref = make_reference(GetParam());
  dulk_beside(ref, "I");
  expect_offsets(ref, 2.7, {2.5, 2.6});
}

INSTANTIATE_TEST_SUITE_P(
    Directions, DulkReferenceTest,
    ::testing::Values(
        Placement{"Horizontal", 0, false, 0}, Placement{"Vertical", 0, true, 0},
        Placement{"HalfTurn", 180, false, 0}, Placement{"ThreeQuarterTurn", 270, false, 0},
        Placement{"VerticalHalfTurn", 180, true, 0}, Placement{"TurnedUcsBothTimes", 30, false, 30},
        Placement{"TurnedUcsVertical", 200, true, 200}, Placement{"ObliqueInWorld", 30, false, 0},
        Placement{"ObliqueTurnedByGeneration", 150, false, 0},
        Placement{"ObliqueVerticalTurnedByGeneration", 120, true, 0},
        Placement{"AxisDimensionSeenFromTurnedUcs", 0, false, 45}),
    [](const ::testing::TestParamInfo<Placement>& info) { return info.param.name; });

class DulkReferencePickTest : public DulkTest {
 protected:
  // A horizontal reference measuring (0,0) to (10,0), dimension line at y = 3.
  void horizontal_reference() {
    ASSERT_EQ(script("DIM1\nHOR\n0,0\n10,0\n5,3\n\n"), 0) << transcript();
  }

  std::vector<double> line_heights() const { return line_across(new_chain(), {0, 1, 0}); }

  // Whether a pick at point finds the reference dimension.
  bool pick_hits_reference(const std::string& point) {
    bool hit = false;
    replies(point + "\n");
    run([&] {
      ads_name picked;
      ads_point at;
      hit = acedEntSel(L"", picked, at) == RTNORM && picked[0] == entities(L"DIMENSION")[0][0] &&
            picked[1] == entities(L"DIMENSION")[0][1];
    });
    return hit;
  }
};

// Other programs keep group 10 anywhere on the dimension line; only its distance across the
// line counts.
TEST_F(DulkReferencePickTest, DefinitionPointAnywhereOnTheDimensionLine) {
  horizontal_reference();
  set_point(0, 10, {25, 3, 0});
  ASSERT_EQ(script("Dulk\n0,0\n4,0\n10,0\n\naUssen\n5,3\n"), 0) << transcript();
  EXPECT_EQ(line_heights(), (std::vector<double>{3.3}));
}

// A dimension whose line passes through its own point gives no side: the pick is asked again.
TEST_F(DulkReferencePickTest, DimensionLineThroughItsPointIsPickedAgain) {
  horizontal_reference();
  set_point(0, 10, {10, 0, 0});
  ASSERT_TRUE(pick_hits_reference("5,3"));
  ASSERT_EQ(script("Dulk\n0,0\n10,0\n\nU\n5,3\n^C\n0,-2\n0\n"), 0) << transcript();
  EXPECT_TRUE(has_run({"Lage der Hilfslinien durch Punkt, Abstand, Innen,<aUssen>:U",
                       "Bemassung waehlen:5,3", "Bemassung waehlen:*Cancel*",
                       "Lage der Hilfslinien durch Punkt, Abstand, Innen,<aUssen>:0,-2"}))
      << transcript();
  EXPECT_EQ(line_heights(), (std::vector<double>{-2.2}));
}

// Enter at the position prompt is "aUssen"; anything but a dimension is passed over silently.
TEST_F(DulkReferencePickTest, EnterPicksOutsideAndOtherObjectsAreIgnored) {
  horizontal_reference();
  ASSERT_EQ(script("LINE\n20,20\n30,20\n\n"), 0);
  ASSERT_EQ(script("Dulk\n0,0\n10,0\n\n\n25,20\n5,3\n"), 0) << transcript();
  EXPECT_TRUE(has_run({"Lage der Hilfslinien durch Punkt, Abstand, Innen,<aUssen>:",
                       "Bemassung waehlen:25,20", "Bemassung waehlen:5,3"}))
      << transcript();
  EXPECT_EQ(line_heights(), (std::vector<double>{3.3}));
}

// The reference's direction replaces a direction given with the command.
TEST_F(DulkReferencePickTest, ReferenceDirectionOverridesTheArgument) {
  horizontal_reference();
  ASSERT_EQ(script("(Dulk 90)\n0,0\n10,0\n\nU\n5,3\n"), 0) << transcript();
  EXPECT_EQ(line_heights(), (std::vector<double>{3.3}));
}

// After "Zurück" at the direction prompt, a reference dimension gives direction and side and
// the direction is not asked again: the side was measured for the reference's direction, and
// another direction would put the chain on a side chosen for another line (picked at the first
// position prompt, it is not asked either).
TEST_F(DulkReferencePickTest, ReferenceAfterGoingBackKeepsTheDirectionItsSideWasMeasuredIn) {
  horizontal_reference();
  ASSERT_EQ(script("Dulk\n0,0\n10,0\n\n0,-5\nZurück\nInnen\n5,3\n"), 0) << transcript();
  EXPECT_EQ(count_lines("Richtung der Masskette <2Punkte>:Zurück"), 1u) << transcript();
  EXPECT_EQ(line_heights(), (std::vector<double>{2.7}));
}

}  // namespace
