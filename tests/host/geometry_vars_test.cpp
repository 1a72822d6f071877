// Coordinate transformation, intersections and distance text through the C interface, and
// system variables read and set through it.
#include <cmath>
#include <numbers>

#include "cad/base/utf8.h"
#include "cad/geom/coords.h"
#include "tests/support/case_file.h"
#include "tests/support/host_fixture.h"

namespace cad::testing {
namespace {

constexpr double kTol = 1e-9;

class GeometryTest : public HostFixture {
 protected:
  static resbuf system(short code) {
    resbuf rb{nullptr, RTSHORT, {}};
    rb.resval.rint = code;
    return rb;
  }
  void expect_point(const ads_point p, double x, double y, double z) {
    EXPECT_NEAR(p[X], x, kTol);
    EXPECT_NEAR(p[Y], y, kTol);
    EXPECT_NEAR(p[Z], z, kTol);
  }
};

TEST_F(GeometryTest, UcsPreviousStepsBackThroughTheLastTen) {
  for (int k = 1; k <= 12; ++k) host_.set_ucs(Ucs{{static_cast<double>(k), 0, 0}});
  int steps = 0;
  while (host_.ucs_previous()) ++steps;
  EXPECT_EQ(steps, 10);
  EXPECT_EQ(host_.ucs().origin.x, 2);
  resbuf org;
  ASSERT_EQ(acedGetVar(L"UCSORG", &org), RTNORM);
  EXPECT_EQ(org.resval.rpoint[X], 2) << "the drawing keeps the current UCS";
}

// Between the world, a moved and turned UCS, the display, the object system of an extrusion and
// those of entities.
TEST_F(GeometryTest, TransBetweenWorldUcsAndObjectSystems) {
  host_.set_ucs(*make_ucs({10, 20, 0}, {0, 1, 0}, {-1, 0, 0}));
  ads_point c = {1, 2, -3}, normal = {0, 0, -1};
  RbList made(acutBuildList(RTDXF0, L"CIRCLE", 10, c, 40, 1.0, 210, normal, 0));
  ASSERT_EQ(acdbEntMake(made.get()), RTNORM);
  resbuf world = system(0), user = system(1), display = system(2), bad = system(7);
  resbuf circle{nullptr, RTENAME, {}}, line{nullptr, RTENAME, {}},
      extrusion{nullptr, RT3DPOINT, {}};
  ASSERT_EQ(acdbEntLast(circle.resval.rlname), RTNORM);
  make_line(0, 0, 1, 0);
  ASSERT_EQ(acdbEntLast(line.resval.rlname), RTNORM);
  extrusion.resval.rpoint[X] = 0;
  extrusion.resval.rpoint[Y] = 0;
  extrusion.resval.rpoint[Z] = -1;
  const struct {
    resbuf *from, *to;
    int displacement;
    Vec3 in, out;
  } rows[] = {
      {&user, &world, 0, {1, 2, 3}, {8, 21, 3}},
      {&world, &display, 0, {8, 21, 3}, {1, 2, 3}},
      // A displacement ignores the origin.
      {&user, &world, 1, {1, 2, 3}, {-2, 1, 3}},
      // Looking from below, the object X axis is world -X.
      {&world, &extrusion, 0, {1, 2, 3}, {-1, 2, -3}},
      {&circle, &world, 0, {1, 2, -3}, {-1, 2, 3}},
      // A LINE keeps world points: its object system is the world.
      {&line, &world, 0, {1, 2, 3}, {1, 2, 3}},
  };
  // Each in place: the result may be written over the point given.
  ads_point p;
  for (const auto& row : rows) {
    from_vec(row.in, p);
    ASSERT_EQ(acedTrans(p, row.from, row.to, row.displacement, p), RTNORM);
    expect_point(p, row.out.x, row.out.y, row.out.z);
  }
  // A system named by a number the host does not know, or by no system's type.
  resbuf real{nullptr, RTREAL, {}};
  EXPECT_EQ(acedTrans(c, &bad, &world, 0, p), RTERROR);
  EXPECT_EQ(acedTrans(c, &world, &real, 0, p), RTERROR);
}

TEST_F(GeometryTest, IntersDistanceAngleAndPolar) {
  ads_point a1 = {0, 0, 0}, a2 = {1, 0, 0}, b1 = {3, -1, 0}, b2 = {3, 1, 0}, out;
  ASSERT_EQ(acdbInters(a1, a2, b1, b2, 0, out), RTNORM);
  expect_point(out, 3, 0, 0);
  EXPECT_NE(acdbInters(a1, a2, b1, b2, 1, out), RTNORM);
  ads_point c1 = {0, 1, 0}, c2 = {1, 1, 0};
  EXPECT_EQ(acdbInters(a1, a2, c1, c2, 0, out), RTNONE);

  ads_point a = {1, 1, 0}, b = {1, -2, 4};
  EXPECT_DOUBLE_EQ(acutDistance(a, b), 5);
  EXPECT_NEAR(acutAngle(a, b), 1.5 * std::numbers::pi, kTol);
  acutPolar(a, std::numbers::pi / 2, 2, out);
  expect_point(out, 1, 3, 0);
}

// The cases of distance_cases.txt.
TEST_F(GeometryTest, DisToFReadsAndRToSWritesTheFormsOfEachLinearUnit) {
  ASSERT_EQ(set_short(L"LUNITS", 4), RTNORM);
  const std::vector<CaseLine> cases = read_cases("host/distance_cases.txt");
  for (const CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    const std::wstring text = to_wide(c.fields.at(1));
    if (c.fields[0] == "writes") {
      ASSERT_EQ(c.fields.size(), 5u);
      ACHAR buf[40];
      ASSERT_EQ(
          acdbRToS(std::stod(c.fields[1]), std::stoi(c.fields[2]), std::stoi(c.fields[3]), buf, 40),
          RTNORM);
      EXPECT_EQ(to_utf8(buf), c.fields[4]);
    } else if (c.fields[0] == "reads") {
      ASSERT_EQ(c.fields.size(), 4u);
      ads_real v = 0;
      EXPECT_EQ(acdbDisToF(text.c_str(), std::stoi(c.fields[2]), &v), RTNORM);
      EXPECT_DOUBLE_EQ(v, std::stod(c.fields[3]));
    } else {
      ASSERT_EQ(c.fields[0], "refused");
      const bool any = c.fields.at(2) == "any";
      const int first = any ? 1 : std::stoi(c.fields[2]), last = any ? 5 : first;
      for (int unit = first; unit <= last; ++unit) {
        ads_real v = 7;
        EXPECT_EQ(acdbDisToF(text.c_str(), unit, &v), RTERROR) << "unit " << unit;
        EXPECT_EQ(v, 7);
      }
    }
  }
  ACHAR small[4];
  EXPECT_EQ(acdbRToS(123456.0, 2, 2, small, 4), RTERROR);
  EXPECT_EQ(acdbRToS(std::nan(""), 2, 2, small, 4), RTERROR);
}

class VarsTest : public HostFixture {};

TEST_F(VarsTest, GetVarGivesEachTypeWhateverTheCaseOfTheName) {
  const std::pair<const wchar_t*, int> cases[] = {
      {L"cmdEcho", RTSHORT}, {L"dimasz", RTREAL}, {L"Clayer", RTSTR}, {L"lastpoint", RT3DPOINT}};
  for (const auto& [name, type] : cases) {
    resbuf v;
    ASSERT_EQ(acedGetVar(name, &v), RTNORM) << to_utf8(name);
    EXPECT_EQ(v.restype, type) << to_utf8(name);
    if (type == RTSTR) {
      EXPECT_STREQ(v.resval.rstring, L"0");
      acutDelString(v.resval.rstring);
    }
  }
  resbuf v;
  EXPECT_EQ(acedGetVar(L"NOSUCHVAR", &v), RTERROR);
}

TEST_F(VarsTest, SetVarTakesMatchingTypesAndRefusesOthers) {
  resbuf v{nullptr, RTSHORT, {}};
  v.resval.rint = 0;
  EXPECT_EQ(acedSetVar(L"osmode", &v), RTNORM);
  v.resval.rint = 2;
  EXPECT_EQ(acedSetVar(L"DIMDLI", &v), RTNORM) << "an integer for a real variable";
  resbuf got;
  ASSERT_EQ(acedGetVar(L"DIMDLI", &got), RTNORM);
  EXPECT_DOUBLE_EQ(got.resval.rreal, 2.0);

  resbuf text{nullptr, RTSTR, {}};
  text.resval.rstring = const_cast<ACHAR*>(L"x");
  EXPECT_EQ(acedSetVar(L"OSMODE", &text), RTERROR);
  resbuf real{nullptr, RTREAL, {}};
  real.resval.rreal = 1.5;
  EXPECT_EQ(acedSetVar(L"OSMODE", &real), RTERROR);
  EXPECT_EQ(acedSetVar(L"NOSUCHVAR", &real), RTERROR);
  text.resval.rstring = const_cast<ACHAR*>(L"OTHER");
  EXPECT_EQ(acedSetVar(L"DIMSTYLE", &text), RTERROR) << "read-only";
  EXPECT_EQ(acedSetVar(L"CLAYER", &text), RTERROR) << "no such layer";

  // No variable takes NaN or infinity; the value stays.
  for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
    real.resval.rreal = bad;
    EXPECT_EQ(acedSetVar(L"DIMDLI", &real), RTERROR);
    resbuf point{nullptr, RT3DPOINT, {}};
    point.resval.rpoint[X] = 1;
    point.resval.rpoint[Y] = bad;
    EXPECT_EQ(acedSetVar(L"LASTPOINT", &point), RTERROR);
  }
  ASSERT_EQ(acedGetVar(L"DIMDLI", &got), RTNORM);
  EXPECT_DOUBLE_EQ(got.resval.rreal, 2.0);
}

TEST_F(VarsTest, ADimensionVariableAwayFromTheStyleMakesTheStyleUnnamed) {
  resbuf style;
  ASSERT_EQ(acedGetVar(L"DIMSTYLE", &style), RTNORM);
  std::wstring name = style.resval.rstring;
  acutDelString(style.resval.rstring);
  ASSERT_NE(name, L"*UNNAMED");

  resbuf asz;
  ASSERT_EQ(acedGetVar(L"DIMASZ", &asz), RTNORM);
  ASSERT_EQ(acedSetVar(L"DIMASZ", &asz), RTNORM);
  ASSERT_EQ(acedGetVar(L"DIMSTYLE", &style), RTNORM);
  EXPECT_EQ(std::wstring(style.resval.rstring), name) << "the same value changes nothing";
  acutDelString(style.resval.rstring);

  asz.resval.rreal += 1;
  ASSERT_EQ(acedSetVar(L"DIMASZ", &asz), RTNORM);
  ASSERT_EQ(acedGetVar(L"DIMSTYLE", &style), RTNORM);
  EXPECT_STREQ(style.resval.rstring, L"*UNNAMED");
  acutDelString(style.resval.rstring);
}

}  // namespace
}  // namespace cad::testing
