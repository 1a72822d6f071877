// Wildcard patterns and selection filter lists built from any bytes.
//
// Input: a pattern and a text (FuzzedDataProvider strings), then filter items chosen from the
// rest. The pattern is checked against the text by the rules of wildcard.h; the filter list is
// compiled and evaluated on every entity of a small fixed drawing.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/db/database.h"
#include "cad/select/filter.h"
#include "cad/select/wildcard.h"
#include "fuzz/fuzz_check.h"

namespace {

using cad::Group;
using cad::RecordId;
using cad::fuzz::fail;

// Back quotes before every character the pattern rules give a meaning.
std::string escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (std::string_view("*?#@.[,`~").find(c) != std::string_view::npos) out += '`';
    out += c;
  }
  return out;
}

void check_wildcards(const std::string& pattern, const std::string& text) {
  const bool exact = cad::wildcard_match(pattern, text, false);
  const bool folded = cad::wildcard_match(pattern, text, true);
  if (!cad::wildcard_match(escaped(text), text, false))
    fail("a text matches itself with every special character quoted", text);
  if (!cad::wildcard_has_special(text) && !cad::wildcard_match(text, text, false))
    fail("a text without special characters matches itself", text);
  if (!pattern.starts_with('~')) {
    if (cad::wildcard_match("~" + pattern, text, false) == exact)
      fail("a leading ~ negates the pattern", pattern);
  }
  if (pattern.find('~') == std::string::npos && exact && !folded)
    fail("what matches with case matches without it (no ~ in the pattern)", pattern);
}

// The drawing every filter list is evaluated on: entity types, layers with and without a group,
// repeated codes, extended data of two applications, an erased entity.
struct Drawing {
  cad::Database db;
  std::vector<RecordId> ids;

  Drawing() {
    auto add = [this](std::string type, std::vector<Group> groups) {
      ids.push_back(db.add_entity(cad::Record{std::move(type), std::move(groups)}));
    };
    add("LINE", {Group::text(8, "WALLS"), Group::integer(62, 1), Group::point(10, {0, 0, 0}),
                 Group::point(11, {5, 5, 0}), Group::text(1001, "DULK"), Group::text(1000, "x"),
                 Group::integer(1070, 3)});
    add("CIRCLE", {Group::text(8, "Doors"), Group::point(10, {1, 2, 0}), Group::real(40, 1.5)});
    add("LWPOLYLINE",
        {Group::integer(90, 3), Group::integer(70, 1), Group::point(10, {0, 0, 0}, 2),
         Group::real(42, 0.5), Group::point(10, {7, 9, 0}, 2), Group::point(10, {-3, 1e9, 0}, 2)});
    add("TEXT", {Group::text(8,
                             "Ma\xC3\x9F"
                             "e"),
                 Group::text(1,
                             "Gr\xC3\xB6\xC3\x9F"
                             "e"),
                 Group::real(40, 2.5), Group::real(50, 1.25), Group::point(210, {0, 0, -1})});
    add("INSERT",
        {Group::text(8, "0"), Group::text(2, "*D1"), Group::real(41, -1), Group::text(1001, "ACAD"),
         Group::text(1001, "DULK_CHAIN"), Group::integer(1071, int64_t{1} << 40)});
    add("LINE", {Group::text(8, "gone")});
    db.set_erased(ids.back(), true);
    ids.push_back(static_cast<RecordId>(db.slot_count()));  // no such record
  }
};

const char* const kOperators[] = {"<and", "and>",  "<or",  "or>",   "<not",  "not>",
                                  "<xor", "xor>",  "=",    "!=",    "/=",    "<>",
                                  "<",    "<=",    ">",    ">=",    "*",     "&",
                                  "&=",   "<,<,*", ">=,*", "*,*,*", " <OR ", "=,=,=,="};
const int kCodes[] = {0,  5020, 8,  6,    62,   67,   210,  10, 11, 40, 42,   70, 90,
                      1,  2,    5,  1001, 1000, 1070, 1071, -3, -4, -4, -4,   -4, -1,
                      50, 330,  38, 102,  39,   41,   370,  71, 72, 73, 1010, 999};

Group item(FuzzedDataProvider& in) {
  const int code = in.ConsumeBool() ? in.PickValueInArray(kCodes) : in.ConsumeIntegral<int16_t>();
  if (code == -4 && in.ConsumeBool()) return Group::text(code, in.PickValueInArray(kOperators));
  auto number = [&in] {
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-20, 20) / 4.0
                            : in.ConsumeFloatingPoint<double>();
  };
  switch (cad::group_type(code)) {
    case cad::GroupType::kReal:
      return Group::real(code, number());
    case cad::GroupType::kInt16:
    case cad::GroupType::kInt32:
    case cad::GroupType::kInt64:
    case cad::GroupType::kBool:
      return Group::integer(code, in.ConsumeIntegral<int64_t>());
    case cad::GroupType::kPoint: {
      const cad::Vec3 p{number(), number(), number()};
      return Group::point(code, p, in.ConsumeBool() ? 3 : 2);
    }
    default:
      break;
  }
  return Group::text(code, in.ConsumeRandomLengthString(24));
}

void check_filter(const Drawing& drawing, const std::vector<Group>& items) {
  const cad::CompiledFilter filter = cad::compile_filter(items);
  if (filter.valid() != filter.error().empty()) fail("a filter is valid when it has no error");
  std::vector<Group> negated = {Group::text(-4, "<not"), Group::text(-4, "<and")};
  negated.insert(negated.end(), items.begin(), items.end());
  negated.push_back(Group::text(-4, "and>"));
  negated.push_back(Group::text(-4, "not>"));
  const cad::CompiledFilter inverse = cad::compile_filter(negated);
  if (filter.valid() && !items.empty() && !inverse.valid())
    fail("a valid filter list can be negated", inverse.error());
  for (RecordId id : drawing.ids) {
    const bool live = drawing.db.valid(id) && !drawing.db.erased(id);
    const bool m = filter.matches(drawing.db, id);
    if (!filter.valid() && m) fail("an invalid filter matches nothing", filter.error());
    if (!drawing.db.valid(id) && m) fail("no filter matches a record that is not there");
    if (live && filter.valid() && !items.empty() && inverse.matches(drawing.db, id) == m)
      fail("<not <and list and> not> selects what the list does not");
  }
}

// A text item takes a quicker path for plain names; it must agree with wildcard_match.
void check_text_item(const std::string& pattern, const std::string& text) {
  const cad::Record rec{"LINE", {Group::text(8, text)}};
  const bool expected = cad::wildcard_match(pattern, text, true);
  if (cad::compile_filter({Group::text(8, pattern)}).matches(rec) != expected)
    fail("a layer item matches as wildcard_match does without case", pattern);
  if (cad::compile_filter({Group::text(-4, "!="), Group::text(8, pattern)}).matches(rec) ==
      expected)
    fail("a != layer item matches what wildcard_match does not", pattern);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Drawing drawing;
  FuzzedDataProvider in(data, size);
  const std::string pattern = in.ConsumeRandomLengthString(256);
  const std::string text = in.ConsumeRandomLengthString(256);
  check_wildcards(pattern, text);
  check_text_item(pattern, text);
  std::vector<Group> items;
  while (in.remaining_bytes() > 0 && items.size() < 256) items.push_back(item(in));
  check_filter(drawing, items);
  return 0;
}
