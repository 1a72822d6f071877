// Coordinate transformation, intersections and distance text through the C interface, and
// system variables read and set through it.
#include <cmath>
#include <numbers>

#include "cad/base/utf8.h"
#include "cad/geom/coords.h"
#include "tests/geom/geom_checks.h"
#include "tests/support/case_file.h"
#include "tests/support/host_fixture.h"

namespace cad::testing {
namespace {

class GeometryTest : public HostFixture {};

TEST_F(GeometryTest, UcsPreviousStepsBackThroughTheLastTen) {
  for (int k = 1; k <= 12; ++k) host_.set_ucs(Ucs{{static_cast<double>(k), 0, 0}});
  int steps = 0;
  while (host_.ucs_previous()) ++steps;
  EXPECT_EQ(steps, 10);
  EXPECT_EQ(host_.ucs().origin.x, 2);
  EXPECT_EQ(get_var(L"UCSORG").resval.rpoint[X], 2) << "the drawing keeps the current UCS";
}

// Between the world, a moved and turned UCS, the display, the object system of an extrusion and
// those of entities.
TEST_F(GeometryTest, TransBetweenWorldUcsAndObjectSystems) {
  host_.set_ucs(*make_ucs({10, 20, 0}, {0, 1, 0}, {-1, 0, 0}));
  ads_point c = {1, 2, -3}, normal = {0, 0, -1};
  RbList made(acutBuildList(RTDXF0, L"CIRCLE", 10, c, 40, 1.0, 210, normal, 0));
  ASSERT_EQ(acdbEntMake(made.get()), RTNORM);
  resbuf world = rb_short(0), user = rb_short(1), display = rb_short(2), bad = rb_short(7);
  resbuf circle{nullptr, RTENAME, {}}, line{nullptr, RTENAME, {}}, extrusion = rb_point(0, 0, -1);
  ASSERT_EQ(acdbEntLast(circle.resval.rlname), RTNORM);
  make_line(0, 0, 1, 0);
  ASSERT_EQ(acdbEntLast(line.resval.rlname), RTNORM);
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
    EXPECT_TRUE(near(to_vec(p), row.out));
  }
  // A system named by a number the host does not know, or by no system's type.
  resbuf real = rb_real(0);
  EXPECT_EQ(acedTrans(c, &bad, &world, 0, p), RTERROR);
  EXPECT_EQ(acedTrans(c, &world, &real, 0, p), RTERROR);
}

TEST_F(GeometryTest, IntersDistanceAngleAndPolar) {
  ads_point a1 = {0, 0, 0}, a2 = {1, 0, 0}, b1 = {3, -1, 0}, b2 = {3, 1, 0}, out;
  ASSERT_EQ(acdbInters(a1, a2, b1, b2, 0, out), RTNORM);
  EXPECT_TRUE(near(to_vec(out), {3, 0, 0}));
  EXPECT_NE(acdbInters(a1, a2, b1, b2, 1, out), RTNORM);
  ads_point c1 = {0, 1, 0}, c2 = {1, 1, 0};
  EXPECT_EQ(acdbInters(a1, a2, c1, c2, 0, out), RTNONE);

  ads_point a = {1, 1, 0}, b = {1, -2, 4};
  EXPECT_DOUBLE_EQ(acutDistance(a, b), 5);
  EXPECT_NEAR(acutAngle(a, b), 1.5 * std::numbers::pi, kTolerance);
  acutPolar(a, std::numbers::pi / 2, 2, out);
  EXPECT_TRUE(near(to_vec(out), {1, 3, 0}));
}

// The cases of distance_cases.txt.
TEST_F(GeometryTest, DisToFReadsAndRToSWritesTheFormsOfEachLinearUnit) {
  ASSERT_EQ(set_short(L"LUNITS", 4), RTNORM);
  const std::vector<CaseLine> cases = read_cases("host/distance_cases.txt");
  for (const CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    if (c.fields.at(0) == "writes") {
      ASSERT_EQ(c.fields.size(), 5u);
      ACHAR buf[40];
      ASSERT_EQ(
          acdbRToS(std::stod(c.fields[1]), std::stoi(c.fields[2]), std::stoi(c.fields[3]), buf, 40),
          RTNORM);
      EXPECT_EQ(to_utf8(buf), c.fields[4]);
      continue;
    }
    ASSERT_TRUE(c.fields[0] == "reads" || c.fields[0] == "refused") << c.fields[0];
    const bool any = c.fields.at(1) == "any";
    const int first = any ? 1 : std::stoi(c.fields[1]), last = any ? 5 : first;
    for (size_t k = 2; k < c.fields.size(); ++k) {
      const size_t equals = c.fields[k].find('=');
      const std::wstring text = to_wide(trimmed_field(c.fields[k].substr(0, equals)));
      SCOPED_TRACE(c.fields[k]);
      if (c.fields[0] == "reads") {
        ASSERT_NE(equals, std::string::npos);
        ads_real v = 0;
        EXPECT_EQ(acdbDisToF(text.c_str(), first, &v), RTNORM);
        EXPECT_DOUBLE_EQ(v, std::stod(c.fields[k].substr(equals + 1)));
        continue;
      }
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
    resbuf v = get_var(name);
    EXPECT_EQ(v.restype, type) << to_utf8(name);
    if (type == RTSTR) {
      EXPECT_STREQ(v.resval.rstring, L"0");
      acutDelString(v.resval.rstring);
    }
  }
  resbuf v;
  EXPECT_EQ(acedGetVar(L"NOSUCHVAR", &v), RTERROR);
}

// An integer is taken for a real variable; DIMSTYLE is read-only, CLAYER names a layer the drawing
// has, and no variable takes NaN or infinity.
TEST_F(VarsTest, SetVarTakesMatchingTypesAndRefusesOthers) {
  const struct {
    const wchar_t* var;
    resbuf value;
    int status;
  } rows[] = {{L"osmode", rb_short(0), RTNORM},       {L"DIMDLI", rb_short(2), RTNORM},
              {L"OSMODE", rb_text(L"x"), RTERROR},    {L"OSMODE", rb_real(1.5), RTERROR},
              {L"NOSUCHVAR", rb_real(1.5), RTERROR},  {L"DIMSTYLE", rb_text(L"OTHER"), RTERROR},
              {L"CLAYER", rb_text(L"OTHER"), RTERROR}};
  for (const auto& row : rows)
    EXPECT_EQ(set_var(row.var, row.value), row.status)
        << to_utf8(row.var) << " " << row.value.restype;
  for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
    EXPECT_EQ(set_var(L"DIMDLI", rb_real(bad)), RTERROR) << bad;
    EXPECT_EQ(set_var(L"LASTPOINT", rb_point(1, bad, 0)), RTERROR) << bad;
  }
  EXPECT_DOUBLE_EQ(get_var(L"DIMDLI").resval.rreal, 2.0) << "the value stays";
}

TEST_F(VarsTest, ADimensionVariableAwayFromTheStyleMakesTheStyleUnnamed) {
  const std::string name = var_text("DIMSTYLE");
  ASSERT_NE(name, "*UNNAMED");
  resbuf asz = get_var(L"DIMASZ");
  ASSERT_EQ(acedSetVar(L"DIMASZ", &asz), RTNORM);
  EXPECT_EQ(var_text("DIMSTYLE"), name) << "the same value changes nothing";
  asz.resval.rreal += 1;
  ASSERT_EQ(acedSetVar(L"DIMASZ", &asz), RTNORM);
  EXPECT_EQ(var_text("DIMSTYLE"), "*UNNAMED");
}

}  // namespace
}  // namespace cad::testing
