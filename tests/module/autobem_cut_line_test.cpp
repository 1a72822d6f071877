// AutoBem end to end on small drawings: the cut line drawn or chosen, the count line, the
// chain at the crossings, the final question about the cut line, polylines in their own
// coordinate systems, bulged segments crossed on their arcs, meshes and spline frames left out, a
// turned UCS, and U. Esc: esc_test.cpp.
#include "dulk_fixture.h"

namespace {

constexpr const char* kFirstPrompt = "Schnittlinien<Wahl>\\Schnittlinienpunkt eingeben:";
constexpr const char* kNextPrompt = "Schnittlinienpunkt eingeben:";
constexpr const char* kQuestion = "Schnittlinie loeschen <J> ?";
constexpr const char* kNoCutLine = "Keine Schnittlinie gezeichnet!";

class AutoBemTest : public DulkTest {
 protected:
  void line(cad::Vec3 a, cad::Vec3 b) {
    ASSERT_EQ(script("LINE\n" + at(a) + "\n" + at(b) + "\n\n"), 0) << transcript();
  }

  // Vertical lines at x = 0, 4 and 10, from y = 0 to 10.
  void three_lines() {
    for (double x : {0.0, 4.0, 10.0}) line({x, 0, 0}, {x, 10, 0});
  }

  // A drawing entity made from its entity list, records one after another (a POLYLINE with
  // its VERTEX records and SEQEND).
  void make(const std::vector<resbuf*>& records) {
    run([&] {
      for (resbuf* record : records) {
        EXPECT_EQ(acdbEntMake(record), RTNORM);
        acutRelRb(record);
      }
    });
  }

  size_t count(const wchar_t* type) const { return entities(type).size(); }

  // Whether a pick at point (current UCS) finds a POLYLINE.
  bool pick_finds_polyline(const std::string& point) {
    bool found = false;
    replies(point + "\n");
    run([&] {
      ads_name picked;
      ads_point at;
      if (acedEntSel(L"", picked, at) != RTNORM) return;
      RbList data(acdbEntGet(picked));
      const resbuf* type = find_group(data.get(), 0);
      found = type != nullptr && std::wcscmp(type->resval.rstring, L"POLYLINE") == 0;
    });
    return found;
  }

  // The count line as the user reads it.
  static std::string count_line(int objects, int points) {
    return "Es wurden " + std::to_string(objects) + " Objekte und " + std::to_string(points) +
           " Schnittpunkte gefunden !";
  }
};

TEST_F(AutoBemTest, DrawnCutLineGivesAChainThroughItsCrossings) {
  three_lines();
  ASSERT_EQ(script("AutoBem\n-1,5\n12,5\n\n0,2\n0\nNein\n"), 0) << transcript();
  EXPECT_TRUE(has_run({"Command: AutoBem", std::string(kFirstPrompt) + "-1,5",
                       std::string(kNextPrompt) + "12,5", kNextPrompt, count_line(3, 3),
                       "Lage der Hilfslinien durch Punkt, Abstand, Innen,<aUssen>:0,2",
                       "Richtung der Masskette <2Punkte>:0", std::string(kQuestion) + "Nein"}))
      << transcript();
  const std::vector<SavedDim> chain = new_chain();
  EXPECT_EQ(along(chain, kX), (Places{0, 4, 10}));
  EXPECT_EQ(line_across(chain, kY), (Places{1.8}));
  ASSERT_EQ(count(L"POLYLINE"), 1u);
  // The temporary segments are gone with the redraw.
  EXPECT_TRUE(host().temp_vectors().empty());
}

// "Nein" and "No" (and "N") keep the cut line; any other answer, Enter and Esc delete it.
struct Answer {
  const char* reply;
  bool kept;
};

void PrintTo(const Answer& a, std::ostream* out) { *out << '"' << a.reply << '"'; }

class AutoBemAnswerTest : public AutoBemTest, public ::testing::WithParamInterface<Answer> {};

TEST_P(AutoBemAnswerTest, OnlyNoKeepsTheCutLine) {
  three_lines();
  ASSERT_EQ(script(std::string("AutoBem\n-1,5\n12,5\n\n0,2\n0\n") + GetParam().reply + "\n"), 0)
      << transcript();
  EXPECT_EQ(count(L"POLYLINE"), GetParam().kept ? 1u : 0u);
  EXPECT_EQ(new_chain().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Answers, AutoBemAnswerTest,
                         ::testing::Values(Answer{"Nein", true}, Answer{"No", true},
                                           Answer{"N", true}, Answer{"Ja", false},
                                           Answer{"Yes", false}, Answer{"J", false},
                                           Answer{"", false}, Answer{"^C", false}));

// "Wahl" (full, short, or the default by Enter) chooses an existing line; of several selected
// objects only the first is the cut line, and it is never dimensioned itself.
class AutoBemChoiceTest : public AutoBemTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AutoBemChoiceTest, FirstSelectedObjectIsTheCutLine) {
  three_lines();
  line({-1, 5, 0}, {12, 5, 0});
  line({-1, 7, 0}, {12, 7, 0});
  ASSERT_EQ(script(std::string("AutoBem\n") + GetParam() + "\n6,5\n6,7\n\n0,2\n0\nJa\n"), 0)
      << transcript();
  EXPECT_TRUE(has_run({count_line(3, 3)})) << transcript();
  EXPECT_EQ(along(new_chain(), kX), (Places{0, 4, 10}));
  // The chosen line is deleted, the other stays.
  const auto lines = entities(L"LINE");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(point_group(lines.back(), 10)[1], 7.0);
}

INSTANTIATE_TEST_SUITE_P(Keywords, AutoBemChoiceTest, ::testing::Values("Wahl", "W", ""));

TEST_F(AutoBemTest, EmptyChoiceDrawsNoCutLine) {
  three_lines();
  ASSERT_EQ(script("AutoBem\nWahl\n\n"), 0) << transcript();
  EXPECT_TRUE(has_run({"Select objects: ", kNoCutLine})) << transcript();
  EXPECT_EQ(dimension_count(), 0u);
}

TEST_F(AutoBemTest, NothingCrossedDeletesTheCutLineWithoutAsking) {
  three_lines();
  ASSERT_EQ(script("AutoBem\n20,20\n30,20\n\n"), 0) << transcript();
  EXPECT_TRUE(has_run(
      {"Es wurden keine zu vermassenden Objekte (Linien/Polylinien) geschnitten!", "Command: "}))
      << transcript();
  EXPECT_EQ(count(L"POLYLINE"), 0u);
  EXPECT_EQ(count_lines(kQuestion), 0u);
}

// The fence sees only what is visible: with every layer off it finds nothing at all, not even
// the cut line, which stays.
TEST_F(AutoBemTest, FenceFindingNothingKeepsTheCutLine) {
  three_lines();
  ASSERT_EQ(script("-LAYER\nOFF\n0\n\n"), 0) << transcript();
  ASSERT_EQ(script("AutoBem\n-1,5\n12,5\n\n"), 0) << transcript();
  EXPECT_TRUE(has_run({"Konnte keine Bemassung generieren!",
                       "Alle geschnittenen Objekte muessen sichtbar sein", "Command: "}))
      << transcript();
  EXPECT_EQ(count(L"POLYLINE"), 1u);
  EXPECT_EQ(dimension_count(), 0u);
}

// A bulged segment is crossed where its arc is, not where its chord is: of either sign, on a
// closing segment, twice by one cut, in a mirrored object system (extrusion 0,0,-1), in an
// LWPOLYLINE and in a POLYLINE of VERTEX records. A line at y = 8 lies across every vertical cut.
// x, y in the object system and bulge of each vertex, one after another.
using Vertices = std::vector<double>;

struct BulgeCase {
  const char* name;
  bool vertex_records;
  bool closed;
  double extrusion_z;
  Vertices vertices;
  cad::Vec3 from;  // the cut, world
  cad::Vec3 to;
  int objects;
  int crossings;
  Places places;  // of the chain along the cut
};

void PrintTo(const BulgeCase& c, std::ostream* out) { *out << c.name; }

class AutoBemBulgeTest : public AutoBemTest, public ::testing::WithParamInterface<BulgeCase> {};

TEST_P(AutoBemBulgeTest, ArcIsCrossedWhereItIsDrawn) {
  const BulgeCase& c = GetParam();
  const ads_point normal = {0, 0, c.extrusion_z};
  if (c.vertex_records) {
    std::vector<resbuf*> records = {
        acutBuildList(RTDXF0, L"POLYLINE", 66, 1, 70, c.closed ? 1 : 0, 210, normal, RTNONE)};
    for (size_t i = 0; i < c.vertices.size(); i += 3) {
      const ads_point p = {c.vertices[i], c.vertices[i + 1], 0};
      records.push_back(acutBuildList(RTDXF0, L"VERTEX", 10, p, 42, c.vertices[i + 2], RTNONE));
    }
    records.push_back(acutBuildList(RTDXF0, L"SEQEND", RTNONE));
    make(records);
  } else {
    resbuf* list = acutBuildList(RTDXF0, L"LWPOLYLINE", 90, static_cast<int>(c.vertices.size() / 3),
                                 70, c.closed ? 1 : 0, 210, normal, RTNONE);
    for (size_t i = 0; i < c.vertices.size(); i += 3) {
      const ads_point p = {c.vertices[i], c.vertices[i + 1], 0};
      append_list(list, acutBuildList(10, p, 42, c.vertices[i + 2], RTNONE));
    }
    make({list});
  }
  line({-20, 8, 0}, {20, 8, 0});
  const bool vertical = c.from.x == c.to.x;
  const cad::Vec3 side = vertical ? cad::Vec3{1, 0, 0} : cad::Vec3{0, -1, 0};
  ASSERT_EQ(script("AutoBem\n" + at(c.from) + "\n" + at(c.to) + "\n\n" + at(c.from + side) + "\n" +
                   (vertical ? "90" : "0") + "\nNein\n"),
            0)
      << transcript();
  EXPECT_TRUE(has_run({count_line(c.objects, c.crossings)})) << transcript();
  EXPECT_EQ(along(new_chain(), vertical ? kY : kX), c.places);
}

INSTANTIATE_TEST_SUITE_P(
    Bulges, AutoBemBulgeTest,
    ::testing::Values(
        // A half circle below its chord, and above it.
        BulgeCase("Positive", false, false, 1, Vertices{0, 0, 1, 10, 0, 0}, {5, -6, 0}, {5, 9, 0},
                  2, 2, Places{-5, 8}),
        BulgeCase("Negative", false, false, 1, Vertices{0, 0, -1, 10, 0, 0}, {5, -6, 0}, {5, 9, 0},
                  2, 2, Places{5, 8}),
        // The arc lies 1 below its chord; the cut starts between them.
        BulgeCase("ChordOnly", false, true, 1, Vertices{0, 0, 0.2, 10, 0, 0, 5, 4, 0}, {4, -0.5, 0},
                  {4, 9, 0}, 2, 2, Places{3.2, 8}),
        BulgeCase("TwiceAcrossTheArc", false, false, 1, Vertices{0, 0, 1, 10, 0, 0}, {-1, -3, 0},
                  {11, -3, 0}, 1, 2, Places{1, 9}),
        // Two half circles: a round column.
        BulgeCase("ClosingSegment", false, true, 1, Vertices{0, 0, 1, 10, 0, 1}, {5, -6, 0},
                  {5, 9, 0}, 2, 3, Places{-5, 5, 8}),
        BulgeCase("Mirrored", false, false, -1, Vertices{0, 0, 1, 10, 0, 0}, {-5, -6, 0},
                  {-5, 9, 0}, 2, 2, Places{-5, 8}),
        BulgeCase("MirroredVertexRecords", true, false, -1, Vertices{0, 0, -1, 10, 0, 0},
                  {-5, -6, 0}, {-5, 9, 0}, 2, 2, Places{5, 8}),
        BulgeCase("ClosingSegmentOfVertexRecords", true, true, 1,
                  Vertices{0, 0, 0, 10, 0, 0, 10, 6, 0, 0, 6, 1}, {-5, 3, 0}, {12, 3, 0}, 1, 2,
                  Places{-3, 10})),
    [](const ::testing::TestParamInfo<BulgeCase>& info) { return info.param.name; });

// Polylines keep their points in their own coordinate system: a mirrored LWPOLYLINE and a 2D
// POLYLINE with extrusion (0,0,-1) lie at negative world x.
TEST_F(AutoBemTest, PolylinesInTheirOwnCoordinateSystem) {
  const ads_point down = {0, 0, -1};
  const ads_point p1 = {2, 0, 0};
  const ads_point p2 = {2, 10, 0};
  make({acutBuildList(RTDXF0, L"LWPOLYLINE", 90, 2, 70, 0, 38, 1.5, 10, p1, 10, p2, 210, down,
                      RTNONE)});
  const ads_point elevation = {0, 0, 2};
  const ads_point v1 = {6, 0, 2};
  const ads_point v2 = {6, 10, 2};
  make({acutBuildList(RTDXF0, L"POLYLINE", 66, 1, 10, elevation, 210, down, RTNONE),
        acutBuildList(RTDXF0, L"VERTEX", 10, v1, RTNONE),
        acutBuildList(RTDXF0, L"VERTEX", 10, v2, RTNONE),
        acutBuildList(RTDXF0, L"SEQEND", RTNONE)});
  line({3, 0, 0}, {3, 10, 0});
  ASSERT_EQ(script("AutoBem\n-8,5\n5,5\n\n0,2\n0\nNein\n"), 0) << transcript();
  EXPECT_TRUE(has_run({count_line(3, 3)})) << transcript();
  EXPECT_EQ(along(new_chain(), kX), (Places{-6, -2, 3}));
}

// Polygon and polyface meshes are surfaces, not paths, and arcs and circles are door swings and
// columns, not walls: neither counted nor crossed, and the command goes on.
TEST_F(AutoBemTest, MeshesArcsAndCirclesAreLeftOut) {
  const ads_point centre = {2, 5, 0};
  const ads_point hinge = {8, 4, 0};
  make({acutBuildList(RTDXF0, L"CIRCLE", 10, centre, 40, 1.0, RTNONE),
        acutBuildList(RTDXF0, L"ARC", 10, hinge, 40, 2.0, 50, 0.0, 51, 3.14159, RTNONE)});
  std::vector<resbuf*> mesh = {
      acutBuildList(RTDXF0, L"POLYLINE", 66, 1, 70, 16, 71, 2, 72, 2, RTNONE)};
  for (const auto& p : {std::array<double, 3>{5, 0, 0}, {5, 10, 0}, {7, 0, 0}, {7, 10, 0}}) {
    mesh.push_back(acutBuildList(RTDXF0, L"VERTEX", 10, p.data(), 70, 64, RTNONE));
  }
  mesh.push_back(acutBuildList(RTDXF0, L"SEQEND", RTNONE));
  make(mesh);
  three_lines();
  ASSERT_EQ(script("AutoBem\n-1,5\n12,5\n\n0,2\n0\nNein\n"), 0) << transcript();
  EXPECT_TRUE(has_run({count_line(3, 3)})) << transcript();
  EXPECT_EQ(along(new_chain(), kX), (Places{0, 4, 10}));
}

// The frame of a spline-fitted polyline is not drawn, so it is not crossed.
TEST_F(AutoBemTest, SplineFrameIsNotCrossed) {
  std::vector<resbuf*> spline = {acutBuildList(RTDXF0, L"POLYLINE", 66, 1, 70, 4, RTNONE)};
  for (const auto& [x, y, flags] :
       {std::tuple{0.0, 0.0, 8}, {10.0, 0.0, 8}, {10.0, -6.0, 16}, {0.0, -6.0, 16}}) {
    const ads_point p = {x, y, 0};
    spline.push_back(acutBuildList(RTDXF0, L"VERTEX", 10, p, 70, flags, RTNONE));
  }
  spline.push_back(acutBuildList(RTDXF0, L"SEQEND", RTNONE));
  make(spline);
  line({0, 3, 0}, {10, 3, 0});
  ASSERT_EQ(script("AutoBem\n5,-8\n5,5\n\n7,0\n90\nNein\n"), 0) << transcript();
  EXPECT_TRUE(has_run({count_line(2, 2)})) << transcript();
  EXPECT_EQ(along(new_chain(), kY), (Places{0, 3}));
}

// A cut through a polyline vertex finds it on both segments; the chain shows it once.
TEST_F(AutoBemTest, CrossingAtAVertexCountsTwiceAndIsDimensionedOnce) {
  const ads_point a = {0, 0, 0};
  const ads_point b = {5, 5, 0};
  const ads_point c = {10, 0, 0};
  make({acutBuildList(RTDXF0, L"LWPOLYLINE", 90, 3, 70, 0, 10, a, 10, b, 10, c, RTNONE)});
  line({0, 8, 0}, {10, 8, 0});
  ASSERT_EQ(script("AutoBem\n5,-1\n5,10\n\n7,0\n90\nNein\n"), 0) << transcript();
  EXPECT_TRUE(has_run({count_line(2, 3)})) << transcript();
  EXPECT_EQ(along(new_chain(), kY), (Places{5, 8}));
  EXPECT_EQ(new_chain().size(), 1u);
}

// In a turned UCS the cut line lies where it was drawn and the chain starts at the crossings.
TEST_F(AutoBemTest, TurnedUcs) {
  three_lines();
  ucs_turned(90);
  // The chain runs along world x, which is the UCS's -y direction.
  ASSERT_EQ(script("AutoBem\n" + at({-1, 5, 0}) + "\n" + at({12, 5, 0}) + "\n\n" + at({0, 2, 0}) +
                   "\n270\nNein\n"),
            0)
      << transcript();
  EXPECT_TRUE(has_run({count_line(3, 3)})) << transcript();
  const std::vector<SavedDim> chain = new_chain();
  EXPECT_EQ(along(chain, kX), (Places{0, 4, 10}));
  EXPECT_EQ(line_across(chain, kY), (Places{1.8}));
  // The cut line was stored where the user drew it.
  ucs_turned(0);
  EXPECT_TRUE(pick_finds_polyline("6,5"));
}

// U after AutoBem gives back the drawing as it was, cut line and all.
TEST_F(AutoBemTest, UndoRestoresTheDrawing) {
  three_lines();
  for (const char* answer : {"Nein", "Ja"}) {
    const std::string before = saved_bytes();
    ASSERT_EQ(script(std::string("AutoBem\n-1,5\n12,5\n\n0,2\n0\n") + answer + "\n"), 0)
        << transcript();
    ASSERT_EQ(new_chain().size(), 2u);
    ASSERT_EQ(script("U\n"), 0) << transcript();
    EXPECT_EQ(diff(before, saved_bytes()), "") << answer;
  }
}

}  // namespace
