// Selection filter lists, as the host's acedSSGet takes them: a list of groups compiled once into
// a small tree and then tested against many entities without allocating.
//
// The rules, where the host leaves room for a choice:
//   - Items are ANDed. -4 "<and" "and>", "<or" "or>" (one operand or more), "<not" "not>" (exactly
//     one), "<xor" "xor>" (exactly two) group them; their names ignore case and they must balance.
//   - A relational -4 ("=", "!=", "/=", "<>", "<", "<=", ">", ">=", "*", for integers also "&":
//     any of the bits, "&=": all of the bits) applies to the next item only. A point item takes
//     one operator per coordinate ("<,<,*"; two operators leave z free); a single operator on a
//     point must hold for every coordinate, except the inequalities, which ask that the points
//     differ. "*" holds always, even for a group the entity lacks.
//   - Text items (types, layers, names, handles) are wildcard patterns matched WITHOUT regard to
//     case: (8 . "wall*") selects the layer "WALLS". Only "=" and the inequalities apply to text.
//   - Reals are equal within 1e-10 relative to their size, so an angle read from a file in degrees
//     still equals the same angle given in radians.
//   - A code repeated in an entity (the vertices of an LWPOLYLINE) matches when any of its groups
//     does. A code the entity lacks matches nothing, except where the host assumes a value: layer
//     (8) "0", colour (62) 256 BYLAYER, linetype (6) "BYLAYER", space (67) 0, extrusion (210)
//     (0,0,1).
//   - -3 followed by 1001 names asks for extended data of each named application (patterns
//     allowed; only presence counts). Extended data values cannot be filtered (codes 1000 and up
//     outside -3 are an error), nor can entity names (-1).
//   - Code 5020 (RTDXF0) stands for code 0, the entity type.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/db/database.h"
#include "cad/db/group.h"

namespace cad {

class CompiledFilter {
 public:
  // An empty filter: matches every entity.
  CompiledFilter() = default;

  // A filter that failed to compile matches nothing; error() says why.
  bool valid() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  bool empty() const { return nodes_.empty(); }

  bool matches(const Record& rec) const;
  // False for a record id that is not live.
  bool matches(const Database& db, RecordId id) const;

  // When every record the filter accepts must carry extended data of an application that one -3
  // item names (an item not under "<or", "<not" or "<xor"), that item's pattern; else nothing.
  // Scans use it to look only at the records the database indexes under matching applications.
  std::optional<std::string_view> required_app() const;
  // Whether an application name matches the pattern required_app() gives.
  bool required_app_matches(std::string_view app) const;

 private:
  friend class FilterCompiler;

  enum class Kind : uint8_t { kAnd, kOr, kNot, kXor, kItem, kApp, kTrue };
  enum class Op : uint8_t { kEq, kNe, kLt, kLe, kGt, kGe, kAny, kBitsAny, kBitsAll };
  enum class ValueKind : uint8_t { kText, kReal, kInt, kPoint };

  struct Node {
    Kind kind = Kind::kAnd;
    ValueKind value_kind = ValueKind::kText;
    Op ops[3] = {Op::kEq, Op::kEq, Op::kEq};
    // Whether a single operator was given for a point.
    bool single_op = true;
    int code = 0;
    // Children of kAnd, kOr, kNot and kXor: [first, first + count) of children_.
    uint32_t first = 0;
    uint32_t count = 0;
    // The pattern's alternatives as [first, first + count) of simple_, when the pattern is plain
    // names with at most a trailing "*" (matched without the general wildcard machinery).
    uint32_t simple_first = 0;
    uint32_t simple_count = 0;
    bool simple = false;
    Group value;
  };
  struct SimpleAlternative {
    std::string prefix;
    bool open_end = false;  // ended in "*"
  };

  static bool compare_real(double a, double b, Op op);
  bool eval(const Record& rec, uint32_t node) const;
  bool eval_item(const Record& rec, const Node& node) const;
  bool test_value(const Node& node, const Group& g) const;
  bool test_text(const Node& node, std::string_view text) const;
  bool text_matches(const Node& node, std::string_view text) const;

  std::vector<Node> nodes_;  // nodes_[0] is the root when not empty
  std::vector<uint32_t> children_;
  std::vector<SimpleAlternative> simple_;
  std::string error_;
  int64_t required_app_ = -1;  // the node of required_app(), -1 for none
};

// An invalid filter list gives a filter whose error() says what is wrong and where.
CompiledFilter compile_filter(const std::vector<Group>& filter);

bool filter_valid(const std::vector<Group>& filter, std::string* error);
// Compiles and tests in one call (for one-off tests; compile once for scans). An invalid filter
// matches nothing and sets error.
bool filter_matches(const Database& db, RecordId id, const std::vector<Group>& filter,
                    std::string* error);

}  // namespace cad
