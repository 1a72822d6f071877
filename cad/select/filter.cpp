// Filter lists: a recursive-descent compiler from the flat group list to a node tree, and the
// evaluation of that tree against one record.
#include "cad/select/filter.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "cad/base/text.h"
#include "cad/select/wildcard.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

constexpr int kRtDxf0 = 5020;
constexpr double kRealTolerance = 1e-10;

bool real_equal(double a, double b) {
  return std::abs(a - b) <= kRealTolerance * std::max({1.0, std::abs(a), std::abs(b)});
}

}  // namespace

// Builds a CompiledFilter's nodes from a group list; every problem ends compiling with a message
// naming the item (counted from 1).
class FilterCompiler {
 public:
  FilterCompiler(const std::vector<Group>& items, CompiledFilter& out) : items_(items), out_(out) {}

  void run() {
    if (items_.empty()) return;
    out_.nodes_.emplace_back();  // the root, filled in below
    std::vector<uint32_t> operands;
    if (!parse_sequence("", operands)) return;
    set_children(0, CompiledFilter::Kind::kAnd, operands);
    out_.required_app_ = find_required_app(0);
  }

 private:
  using Kind = CompiledFilter::Kind;
  using Op = CompiledFilter::Op;
  using ValueKind = CompiledFilter::ValueKind;
  using Node = CompiledFilter::Node;

  bool fail(size_t item, const std::string& message) {
    out_.error_ = "filter item " + std::to_string(item + 1) + ": " + message;
    out_.nodes_.clear();
    out_.children_.clear();
    out_.simple_.clear();
    return false;
  }

  static int code_of(const Group& g) { return g.code == kRtDxf0 ? 0 : g.code; }

  static bool is_operator(const Group& g) { return g.code == -4; }

  // Operands up to the closer (a lower-case name such as "or>"; empty: the end of the list).
  bool parse_sequence(std::string_view closer, std::vector<uint32_t>& operands) {
    const size_t opened = pos_ == 0 ? 0 : pos_ - 1;
    while (pos_ < items_.size()) {
      const Group& g = items_[pos_];
      if (is_operator(g)) {
        const std::string name = to_lower(trim(g.s(), " "));
        if (name == "and>" || name == "or>" || name == "not>" || name == "xor>") {
          if (name != closer) {
            return fail(pos_, closer.empty()
                                  ? "\"" + std::string(trim(g.s(), " ")) + "\" closes no group"
                                  : "\"" + std::string(trim(g.s(), " ")) + "\" where \"" +
                                        std::string(closer) + "\" was expected");
          }
          ++pos_;
          return true;
        }
      }
      uint32_t node = 0;
      if (!parse_operand(node)) return false;
      operands.push_back(node);
    }
    if (!closer.empty()) {
      return fail(opened, "\"<" + std::string(closer.substr(0, closer.size() - 1)) +
                              "\" has no closing \"" + std::string(closer) + "\"");
    }
    return true;
  }

  bool parse_operand(uint32_t& node) {
    const size_t at = pos_;
    const Group& g = items_[pos_];
    const int code = code_of(g);
    if (is_operator(g)) {
      const std::string name = to_lower(trim(g.s(), " "));
      if (name == "<and" || name == "<or" || name == "<not" || name == "<xor") {
        return parse_group(name.substr(1), node);
      }
      ++pos_;
      if (pos_ >= items_.size())
        return fail(at, "operator \"" + std::string(g.s()) + "\" is not followed by an item");
      const Group& value = items_[pos_];
      const int value_code = code_of(value);
      if (is_operator(value) || value_code == -3 || value_code >= 1000 || value_code < 0) {
        return fail(at, "operator \"" + std::string(g.s()) + "\" must be followed by a value item");
      }
      ++pos_;
      return make_item(value, at, g.s(), node);
    }
    if (code == -3) return parse_apps(node);
    if (code >= 1000) {
      return fail(at, code == 1001
                          ? "application name (1001) outside a -3 group"
                          : "extended data values cannot be filtered; use -3 with the application");
    }
    if (code < 0) return fail(at, "group code " + std::to_string(code) + " cannot be filtered");
    ++pos_;
    return make_item(g, at, "=", node);
  }

  bool parse_group(const std::string& name, uint32_t& node) {
    const size_t at = pos_;
    ++pos_;
    std::vector<uint32_t> operands;
    if (!parse_sequence(name + ">", operands)) return false;
    Kind kind = Kind::kAnd;
    if (name == "or") kind = Kind::kOr;
    if (name == "not") kind = Kind::kNot;
    if (name == "xor") kind = Kind::kXor;
    if (operands.empty()) return fail(at, "\"<" + name + "\" group is empty");
    if (kind == Kind::kNot && operands.size() != 1) {
      return fail(at, "\"<not\" takes exactly one operand, got " + std::to_string(operands.size()));
    }
    if (kind == Kind::kXor && operands.size() != 2) {
      return fail(at,
                  "\"<xor\" takes exactly two operands, got " + std::to_string(operands.size()));
    }
    node = new_node();
    set_children(node, kind, operands);
    return true;
  }

  bool parse_apps(uint32_t& node) {
    const size_t at = pos_;
    ++pos_;
    std::vector<uint32_t> apps;
    while (pos_ < items_.size() && items_[pos_].code == 1001) {
      const uint32_t app = new_node();
      Node& n = out_.nodes_[app];
      n.kind = Kind::kApp;
      n.value = items_[pos_];
      compile_pattern(n);
      apps.push_back(app);
      ++pos_;
    }
    if (apps.empty()) return fail(at, "-3 must be followed by application names (1001)");
    if (apps.size() == 1) {
      node = apps.front();
      return true;
    }
    node = new_node();
    set_children(node, Kind::kAnd, apps);
    return true;
  }

  static bool parse_op(std::string_view text, Op& op) {
    static constexpr std::pair<std::string_view, Op> kOps[] = {
        {"=", Op::kEq},  {"!=", Op::kNe},     {"/=", Op::kNe},     {"<>", Op::kNe},
        {"<", Op::kLt},  {"<=", Op::kLe},     {">", Op::kGt},      {">=", Op::kGe},
        {"*", Op::kAny}, {"&", Op::kBitsAny}, {"&=", Op::kBitsAll}};
    for (const auto& [name, value] : kOps) {
      if (text == name) {
        op = value;
        return true;
      }
    }
    return false;
  }

  static ValueKind value_kind(int code) {
    if (code == 0) return ValueKind::kText;
    switch (group_type(code)) {
      case GroupType::kReal:
        return ValueKind::kReal;
      case GroupType::kInt16:
      case GroupType::kInt32:
      case GroupType::kInt64:
      case GroupType::kBool:
        return ValueKind::kInt;
      case GroupType::kPoint:
        return ValueKind::kPoint;
      case GroupType::kText:
      case GroupType::kHandle:
      case GroupType::kBinary:
      case GroupType::kComment:
        break;
    }
    return ValueKind::kText;
  }

  bool make_item(const Group& value, size_t at, std::string_view op_text, uint32_t& node) {
    Node n;
    n.kind = Kind::kItem;
    n.code = code_of(value);
    n.value = value;
    n.value.code = n.code;
    n.value_kind = value_kind(n.code);
    std::vector<std::string_view> parts;
    std::string_view rest = op_text;
    while (true) {
      const size_t comma = rest.find(',');
      parts.push_back(trim(rest.substr(0, comma), " "));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    const std::string quoted = "\"" + std::string(op_text) + "\"";
    if (parts.size() > 1 && n.value_kind != ValueKind::kPoint) {
      return fail(at, "operator " + quoted + " has several parts but the item is not a point");
    }
    if (parts.size() > 3) return fail(at, "operator " + quoted + " has more than three parts");
    n.single_op = parts.size() == 1;
    n.ops[1] = n.ops[2] = Op::kAny;
    for (size_t k = 0; k < parts.size(); ++k) {
      if (!parse_op(parts[k], n.ops[k])) return fail(at, "unknown operator " + quoted);
    }
    if (n.single_op) n.ops[1] = n.ops[2] = n.ops[0];
    for (size_t k = 0; k < parts.size(); ++k) {
      const Op op = n.ops[k];
      const bool bits = op == Op::kBitsAny || op == Op::kBitsAll;
      if (bits && n.value_kind != ValueKind::kInt) {
        return fail(at, "bit test " + quoted + " applies to integer groups only");
      }
      const bool ordering = op == Op::kLt || op == Op::kLe || op == Op::kGt || op == Op::kGe;
      if (ordering && n.value_kind == ValueKind::kText) {
        return fail(at, "operator " + quoted + " does not apply to text (group " +
                            std::to_string(n.code) + ")");
      }
    }
    if (n.ops[0] == Op::kAny && n.ops[1] == Op::kAny && n.ops[2] == Op::kAny) n.kind = Kind::kTrue;
    node = new_node();
    out_.nodes_[node] = std::move(n);
    if (out_.nodes_[node].value_kind == ValueKind::kText) compile_pattern(out_.nodes_[node]);
    return true;
  }

  // Plain ASCII names and names with one trailing "*" are compared directly; anything else goes
  // to wildcard_match, which also matches a character to the legacy code page byte of its number.
  void compile_pattern(Node& n) {
    const std::string_view pattern = n.value.s();
    if (pattern.find_first_of("?#@.[`~") != std::string_view::npos) return;
    if (std::any_of(pattern.begin(), pattern.end(),
                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
      return;
    std::vector<CompiledFilter::SimpleAlternative> alternatives;
    std::string_view rest = pattern;
    while (true) {
      const size_t comma = rest.find(',');
      std::string_view alt = rest.substr(0, comma);
      CompiledFilter::SimpleAlternative simple;
      if (!alt.empty() && alt.back() == '*') {
        simple.open_end = true;
        alt.remove_suffix(1);
      }
      if (alt.find('*') != std::string_view::npos) return;
      simple.prefix = std::string(alt);
      alternatives.push_back(std::move(simple));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    n.simple = true;
    n.simple_first = static_cast<uint32_t>(out_.simple_.size());
    n.simple_count = static_cast<uint32_t>(alternatives.size());
    for (auto& alt : alternatives) out_.simple_.push_back(std::move(alt));
  }

  // The first application item that every accepted record must satisfy: one reached from the
  // root through "and" nodes only.
  int64_t find_required_app(uint32_t index) const {
    const Node& n = out_.nodes_[index];
    if (n.kind == Kind::kApp) return index;
    if (n.kind != Kind::kAnd) return -1;
    for (uint32_t k = n.first; k < n.first + n.count; ++k) {
      const int64_t found = find_required_app(out_.children_[k]);
      if (found >= 0) return found;
    }
    return -1;
  }

  uint32_t new_node() {
    out_.nodes_.emplace_back();
    return static_cast<uint32_t>(out_.nodes_.size() - 1);
  }

  void set_children(uint32_t node, Kind kind, const std::vector<uint32_t>& operands) {
    Node& n = out_.nodes_[node];
    n.kind = kind;
    n.first = static_cast<uint32_t>(out_.children_.size());
    n.count = static_cast<uint32_t>(operands.size());
    out_.children_.insert(out_.children_.end(), operands.begin(), operands.end());
  }

  const std::vector<Group>& items_;
  CompiledFilter& out_;
  size_t pos_ = 0;
};

CompiledFilter compile_filter(const std::vector<Group>& filter) {
  CompiledFilter out;
  FilterCompiler(filter, out).run();
  return out;
}

bool filter_valid(const std::vector<Group>& filter, std::string* error) {
  const CompiledFilter compiled = compile_filter(filter);
  if (error) *error = compiled.error();
  return compiled.valid();
}

bool filter_matches(const Database& db, RecordId id, const std::vector<Group>& filter,
                    std::string* error) {
  const CompiledFilter compiled = compile_filter(filter);
  if (error) *error = compiled.error();
  return compiled.matches(db, id);
}

bool CompiledFilter::matches(const Record& rec) const {
  if (!valid()) return false;
  return nodes_.empty() || eval(rec, 0);
}

bool CompiledFilter::matches(const Database& db, RecordId id) const {
  return db.valid(id) && matches(db.record(id));
}

std::optional<std::string_view> CompiledFilter::required_app() const {
  if (!valid() || required_app_ < 0) return std::nullopt;
  return nodes_[static_cast<size_t>(required_app_)].value.s();
}

bool CompiledFilter::required_app_matches(std::string_view app) const {
  return required_app_ >= 0 && text_matches(nodes_[static_cast<size_t>(required_app_)], app);
}

bool CompiledFilter::eval(const Record& rec, uint32_t index) const {
  const Node& n = nodes_[index];
  const uint32_t* first = children_.data() + n.first;
  const uint32_t* last = first + n.count;
  switch (n.kind) {
    case Kind::kAnd:
      return std::all_of(first, last, [&](uint32_t child) { return eval(rec, child); });
    case Kind::kOr:
      return std::any_of(first, last, [&](uint32_t child) { return eval(rec, child); });
    case Kind::kNot:
      return !eval(rec, *first);
    case Kind::kXor:
      return eval(rec, first[0]) != eval(rec, first[1]);
    case Kind::kItem:
      return eval_item(rec, n);
    case Kind::kApp:
      for (const Group& g : rec.groups) {
        if (g.code == 1001 && text_matches(n, g.s())) return true;
      }
      return false;
    case Kind::kTrue:
      break;
  }
  return true;
}

bool CompiledFilter::eval_item(const Record& rec, const Node& n) const {
  if (n.code == 0) return test_text(n, rec.type);
  bool found = false;
  for (const Group& g : rec.groups) {
    if (g.code == 1001) break;
    if (g.code != n.code) continue;
    if (test_value(n, g)) return true;
    found = true;
  }
  if (found) return false;
  switch (n.code) {
    case 8:
      return test_text(n, "0");
    case 6:
      return test_text(n, "BYLAYER");
    case 62:
      return test_value(n, Group::integer(62, kColorByLayer));
    case 67:
      return test_value(n, Group::integer(67, 0));
    case 210:
      return test_value(n, Group::point(210, {0, 0, 1}));
    default:
      break;
  }
  return false;
}

bool CompiledFilter::test_value(const Node& n, const Group& g) const {
  switch (n.value_kind) {
    case ValueKind::kText:
      return test_text(n, g.s());
    case ValueKind::kReal:
      return compare_real(g.x(), n.value.x(), n.ops[0]);
    case ValueKind::kInt: {
      const int64_t a = g.i();
      const int64_t b = n.value.i();
      switch (n.ops[0]) {
        case Op::kEq:
          return a == b;
        case Op::kNe:
          return a != b;
        case Op::kLt:
          return a < b;
        case Op::kLe:
          return a <= b;
        case Op::kGt:
          return a > b;
        case Op::kGe:
          return a >= b;
        case Op::kBitsAny:
          return (a & b) != 0;
        case Op::kBitsAll:
          return (a & b) == b;
        case Op::kAny:
          break;
      }
      return true;
    }
    case ValueKind::kPoint:
      break;
  }
  const double a[3] = {g.x(), g.y(), g.z()};
  const double b[3] = {n.value.x(), n.value.y(), n.value.z()};
  if (n.single_op && n.ops[0] == Op::kNe) {
    return !(real_equal(a[0], b[0]) && real_equal(a[1], b[1]) && real_equal(a[2], b[2]));
  }
  for (int k = 0; k < 3; ++k) {
    if (!compare_real(a[k], b[k], n.ops[k])) return false;
  }
  return true;
}

bool CompiledFilter::test_text(const Node& n, std::string_view text) const {
  const bool m = text_matches(n, text);
  return n.ops[0] == Op::kNe ? !m : m;
}

bool CompiledFilter::text_matches(const Node& n, std::string_view text) const {
  if (!n.simple) return wildcard_match(n.value.s(), text, true);
  for (uint32_t k = n.simple_first; k < n.simple_first + n.simple_count; ++k) {
    const SimpleAlternative& alt = simple_[k];
    if (alt.open_end ? text.size() >= alt.prefix.size() &&
                           iequals(text.substr(0, alt.prefix.size()), alt.prefix)
                     : iequals(text, alt.prefix)) {
      return true;
    }
  }
  return false;
}

bool CompiledFilter::compare_real(double a, double b, Op op) {
  const bool equal = real_equal(a, b);
  switch (op) {
    case Op::kEq:
      return equal;
    case Op::kNe:
      return !equal;
    case Op::kLt:
      return a < b && !equal;
    case Op::kLe:
      return a < b || equal;
    case Op::kGt:
      return a > b && !equal;
    case Op::kGe:
      return a > b || equal;
    case Op::kAny:
    case Op::kBitsAny:
    case Op::kBitsAll:
      break;
  }
  return true;
}

}  // namespace cad
