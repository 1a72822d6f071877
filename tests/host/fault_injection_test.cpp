// Fault injection at the interface: what counts as an event of each kind, that only the armed
// event fails, how each call fails, and that a failed call changes nothing.
#include "cad/ads/faults.h"
#include "cad/builtins/builtins.h"
#include "cad/select/selection.h"
#include "host/arx.h"
#include "tests/support/case_file.h"
#include "tests/support/host_fixture.h"
#include "tests/support/snapshot.h"

namespace cad::testing {
namespace {

// The cases of fault_plan_cases.txt.
TEST(FaultPlanText, ReadsKindAndNumberAndNamesWhatIsWrong) {
  const std::vector<CaseLine> cases = read_cases("host/fault_plan_cases.txt");
  for (const CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    std::string error;
    const std::optional<FaultPlan> plan = parse_fault_plan(c.fields.at(0), &error);
    ASSERT_EQ(plan.has_value(), c.fields.at(1) != "refused") << error;
    if (!plan) {
      EXPECT_NE(error.find("--fail"), std::string::npos) << error;
      continue;
    }
    EXPECT_EQ(fault_kind_name(plan->kind), c.fields[1]);
    EXPECT_EQ(plan->nth, std::stoull(c.fields.at(2)));
  }
}

class FaultInjectionTest : public HostFixture {
 protected:
  FaultInjector& faults() { return host_.faults(); }
};

TEST_F(FaultInjectionTest, OnlyTheArmedEventOfItsKindFailsAndCountingStartsAtArming) {
  RbList before(acutNewRb(RTSHORT));
  faults().arm({FaultKind::kAllocation, 3});
  RbList first(acutNewRb(RTSHORT));
  make_line(0, 0, 1, 0);  // an allocation (its list) and a creation
  RbList third(acutNewRb(RTSHORT));
  RbList fourth(acutNewRb(RTSHORT));
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(third, nullptr);
  EXPECT_NE(fourth, nullptr);
  EXPECT_STREQ(faults().failed_call(), "acutNewRb");
  EXPECT_EQ(faults().count(FaultKind::kAllocation), 4u);
  EXPECT_EQ(faults().count(FaultKind::kCreation), 1u);
  EXPECT_EQ(faults().count(FaultKind::kChange), 0u);
  faults().disarm();
  EXPECT_FALSE(faults().fired());
  EXPECT_EQ(faults().count(FaultKind::kAllocation), 0u);
}

TEST_F(FaultInjectionTest, CallsThatHandNothingOverAreNoEvents) {
  ads_name gone = {999, db().serial()};
  resbuf value{};
  EXPECT_EQ(acdbEntGet(gone), nullptr);
  EXPECT_EQ(acdbTblSearch(L"LAYER", L"NO SUCH LAYER", 0), nullptr);
  EXPECT_EQ(acedGetVar(L"UNDOCTL", &value), RTNORM);  // a number: nothing to allocate
  EXPECT_EQ(acedGetArgs(), nullptr);                  // no arguments
  EXPECT_EQ(acdbRegApp(L"ACAD"), RTERROR);            // registered already
  EXPECT_EQ(acdbEntDel(gone), RTERROR);
  EXPECT_EQ(faults().count(FaultKind::kAllocation), 0u);
  EXPECT_EQ(faults().count(FaultKind::kChange), 0u);
}

TEST_F(FaultInjectionTest, WithoutACurrentHostNothingIsCountedOrFailed) {
  faults().arm({FaultKind::kAllocation, 1});
  set_current_host(nullptr);
  RbList list(acutNewRb(RTSHORT));
  set_current_host(&host_);
  EXPECT_NE(list, nullptr);
  EXPECT_FALSE(faults().fired());
}

// Each call of the interface made to fail as the first event of its kind: what it answers, and
// that the drawing and the selection sets stay as they were.
TEST_F(FaultInjectionTest, EachCallFailsAsDocumentedAndChangesNothing) {
  make_line(0, 0, 10, 0);
  set_short(L"CMDECHO", 0);
  const Snapshot before(host_);
  const std::vector<int64_t> sets = host_.selections().live_ids();
  const auto last = [] {
    ads_name name;
    acdbEntLast(name);
    return std::vector<int64_t>{name[0], name[1]};
  };
  // What the calls hand over, kept out here for the short calls below.
  ACHAR* text = nullptr;
  ads_name ss;
  resbuf value{};
  const struct {
    const char* name;
    FaultKind kind;
    std::function<bool()> fails_as_documented;
  } rows[] = {
      {"acutNewString", FaultKind::kAllocation,
       [&] { return acutNewString(text, 4) == Acad::eOutOfMemory && text == nullptr; }},
      {"acutUpdString", FaultKind::kAllocation,
       [&] { return acutUpdString(L"abc", text) == Acad::eOutOfMemory && text == nullptr; }},
      {"acutBuildList", FaultKind::kAllocation,
       [&] { return !RbList(acutBuildList(RTSTR, L"a", RTSHORT, 1, 0)); }},
      {"acdbEntGetX", FaultKind::kAllocation, [&] { return !RbList(acdbEntGet(last().data())); }},
      {"acdbTblSearch", FaultKind::kAllocation,
       [&] { return !RbList(acdbTblSearch(L"LAYER", L"0", 0)); }},
      {"acdbTblNext", FaultKind::kAllocation,
       [&] {
         // The walk stays where it was: the next call hands the entry the failed one did not.
         if (RbList(acdbTblNext(L"LAYER", 1))) return false;
         RbList entry(acdbTblNext(L"LAYER", 0));
         return rb_string(entry.get(), 2) == L"0";
       }},
      {"acedGetVar", FaultKind::kAllocation,
       [&] { return acedGetVar(L"CLAYER", &value) == RTERROR; }},
      {"acedSSGet", FaultKind::kAllocation,
       [&] { return acedSSGet(L"X", nullptr, nullptr, nullptr, ss) == RTREJ; }},
      {"acedSSAdd", FaultKind::kAllocation,
       [&] { return acedSSAdd(nullptr, nullptr, ss) == RTREJ; }},
      {"getSymbolTable", FaultKind::kAllocation,
       [&] {
         AcDbDimStyleTable* table = nullptr;
         return acdbHostApplicationServices()->workingDatabase()->getSymbolTable(
                    table, AcDb::kForRead) == Acad::eOutOfMemory &&
                table == nullptr;
       }},
      {"acdbEntMake", FaultKind::kCreation,
       [&] {
         ads_point a = {0, 5, 0}, b = {1, 5, 0};
         RbList line(acutBuildList(RTDXF0, L"LINE", 10, a, 11, b, 0));
         return acdbEntMake(line.get()) == RTERROR;
       }},
      {"DIM1", FaultKind::kCreation,
       [&] {
         // Fails as a command, with the host's message even while CMDECHO is 0.
         ads_point a = {0, 0, 0}, b = {10, 0, 0}, at = {5, 2, 0};
         return acedCommandS(RTSTR, L"_dim1", RTSTR, L"_hor", RTPOINT, a, RTPOINT, b, RTPOINT, at,
                             RTSTR, L"", RTNONE) == RTERROR &&
                transcript().find("Cannot create the dimension.") != std::string::npos;
       }},
      {"acdbEntMod", FaultKind::kChange,
       [&] {
         RbList data(acdbEntGet(last().data()));
         find_rb(data.get(), 8)->resval.rstring[0] = L'1';
         return acdbEntMod(data.get()) == RTERROR;
       }},
      {"acdbEntDel", FaultKind::kChange, [&] { return acdbEntDel(last().data()) == RTERROR; }},
      {"acdbRegApp", FaultKind::kChange,
       [&] {
         return acdbRegApp(L"NEWAPP") == RTERROR && !RbList(acdbTblSearch(L"APPID", L"NEWAPP", 0));
       }},
  };

  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    faults().arm({row.kind, 1});
    EXPECT_TRUE(row.fails_as_documented()) << transcript();
    EXPECT_STREQ(faults().failed_call(), row.name);
    EXPECT_EQ(before.diff(Snapshot(host_)), "");
    EXPECT_EQ(host_.selections().live_ids(), sets);
    faults().disarm();
  }
}

}  // namespace
}  // namespace cad::testing
