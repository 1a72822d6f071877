#include "cad/dialogs/dcl.h"

#include <cctype>
#include <cstddef>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>

namespace cad {

namespace {

// Tiles the host draws itself; every other tile comes down to one of these through prototypes.
constexpr std::string_view kPrimitiveTiles[] = {"dialog",
                                                "row",
                                                "column",
                                                "boxed_row",
                                                "boxed_column",
                                                "radio_row",
                                                "radio_column",
                                                "boxed_radio_row",
                                                "boxed_radio_column",
                                                "radio_button",
                                                "edit_box",
                                                "text",
                                                "button",
                                                "image_button",
                                                "toggle",
                                                "list_box",
                                                "popup_list",
                                                "image",
                                                "slider",
                                                "spacer",
                                                "concatenation",
                                                "paragraph",
                                                "default_dcl_settings"};

// The host's own tile library, written in DCL and read by the same parser as a dialog file.
constexpr std::string_view kBaseDcl = R"dcl(
spacer_0 : spacer { width = 0; height = 0; horizontal_margin = none; vertical_margin = none; }
spacer_1 : spacer { width = 1; height = 1; horizontal_margin = none; vertical_margin = none; }
text_part : text { horizontal_margin = none; vertical_margin = none; }
retirement_button : button { fixed_width = true; width = 8; alignment = centered; }
ok_button : retirement_button { label = "OK"; key = "accept"; is_default = true; }
cancel_button : retirement_button { label = "Cancel"; key = "cancel"; is_cancel = true; }
help_button : retirement_button { label = "&Help..."; key = "help"; }
info_button : retirement_button { label = "&Info..."; key = "info"; }
errtile : text { label = ""; key = "error"; is_error_tile = true; }
ok_only : column {
  fixed_width = true; alignment = centered;
  : ok_button { is_cancel = true; }
}
ok_cancel : column {
  : row {
    fixed_width = true; alignment = centered;
    ok_button; : spacer { width = 2; } cancel_button;
  }
}
ok_cancel_help : column {
  : row {
    fixed_width = true; alignment = centered;
    ok_button; : spacer { width = 2; } cancel_button; : spacer { width = 2; } help_button;
  }
}
ok_cancel_help_info : column {
  : row {
    fixed_width = true; alignment = centered;
    ok_button; : spacer { width = 2; } cancel_button; : spacer { width = 2; } help_button;
    : spacer { width = 2; } info_button;
  }
}
ok_cancel_help_errtile : column { ok_cancel_help; errtile; }
)dcl";

// Bounds that keep a hostile file from exhausting the stack or the memory.
constexpr int kMaxDepth = 64;
constexpr size_t kMaxTiles = 20000;

enum class TokenKind { kEnd, kName, kString, kNumber, kColon, kOpen, kClose, kEquals, kSemicolon };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  int line = 0;
};

// A tile as written, before its prototypes are resolved. A reference ("ok_cancel;") is an
// unnamed definition with one prototype and nothing else.
struct Definition {
  std::string name;
  std::vector<std::string> prototypes;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<Definition> children;
  int line = 0;
};

bool is_name_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool is_name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string describe_char(char c) {
  auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x21 && byte < 0x7f) return std::string("'") + c + "'";
  static constexpr char kHex[] = "0123456789ABCDEF";
  return std::string("byte 0x") + kHex[byte >> 4] + kHex[byte & 15];
}

class Lexer {
 public:
  Lexer(std::string_view text, std::string_view file_name) : text_(text), file_name_(file_name) {
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
  }

  // Splits the whole text; false with `error` set at the first fault.
  bool run(std::vector<Token>& tokens, std::vector<std::string>& notes, std::string& error) {
    while (true) {
      if (!skip_blanks(error)) return false;
      Token token;
      token.line = line_;
      if (pos_ == text_.size()) {
        tokens.push_back(token);
        return true;
      }
      char c = text_[pos_];
      if (c == '"') {
        token.kind = TokenKind::kString;
        if (!read_string(token.text, error)) return false;
      } else if (starts_number()) {
        token.kind = TokenKind::kNumber;
        if (!read_number(token.text, error)) return false;
      } else if (is_name_start(c)) {
        token.kind = TokenKind::kName;
        token.text = read_name();
      } else if (c == '@') {
        ++pos_;
        std::string directive = read_name();
        if (directive != "include") {
          return fail(error, "unknown directive '@" + directive + "'");
        }
        if (!skip_blanks(error)) return false;
        if (pos_ == text_.size() || text_[pos_] != '"') {
          return fail(error, "expected a file name in quotes after '@include'");
        }
        std::string included;
        if (!read_string(included, error)) return false;
        notes.push_back(where(token.line) + "@include \"" + included +
                        "\" not followed: only the tiles of this file are used");
        if (!skip_blanks(error)) return false;
        if (pos_ < text_.size() && text_[pos_] == ';') ++pos_;
        continue;
      } else {
        static constexpr std::string_view kPunctuation = ":{}=;";
        static constexpr TokenKind kKinds[] = {TokenKind::kColon, TokenKind::kOpen,
                                               TokenKind::kClose, TokenKind::kEquals,
                                               TokenKind::kSemicolon};
        size_t at = kPunctuation.find(c);
        if (at == std::string_view::npos) return fail(error, "unexpected " + describe_char(c));
        token.kind = kKinds[at];
        token.text = std::string(1, c);
        ++pos_;
      }
      tokens.push_back(std::move(token));
    }
  }

 private:
  // A digit, or a sign or point followed by one: "10", "-1", ".5", "-.5".
  bool starts_number() const {
    std::string_view rest = text_.substr(pos_);
    if (rest.starts_with('-') || rest.starts_with('+')) rest.remove_prefix(1);
    if (rest.starts_with('.')) rest.remove_prefix(1);
    return !rest.empty() && is_digit(rest.front());
  }

  std::string where(int line) const {
    return std::string(file_name_) + ":" + std::to_string(line) + ": ";
  }

  bool fail(std::string& error, const std::string& message) const {
    error = where(line_) + message;
    return false;
  }

  bool skip_blanks(std::string& error) {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++pos_;
      } else if (text_.substr(pos_, 2) == "//") {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else if (text_.substr(pos_, 2) == "/*") {
        int opened = line_;
        size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string_view::npos) {
          error = where(opened) + "comment opened here is never closed";
          return false;
        }
        for (size_t i = pos_; i < end; ++i) line_ += text_[i] == '\n';
        pos_ = end + 2;
      } else {
        break;
      }
    }
    return true;
  }

  bool read_string(std::string& out, std::string& error) {
    ++pos_;
    while (pos_ < text_.size()) {
      char c = text_[pos_++];
      if (c == '"') return true;
      if (c == '\n') {
        error = where(line_) + "string not closed before the end of the line";
        return false;
      }
      // A backslash at the end of a line escapes nothing; the line end is then reported above.
      if (c != '\\' || pos_ == text_.size() || text_[pos_] == '\n') {
        out += c;
        continue;
      }
      char next = text_[pos_++];
      switch (next) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        default:
          out += '\\';
          out += next;
      }
    }
    error = where(line_) + "string not closed before the end of the file";
    return false;
  }

  bool read_number(std::string& out, std::string& error) {
    size_t start = pos_;
    if (text_[pos_] == '-' || text_[pos_] == '+') ++pos_;
    bool dot = false;
    while (pos_ < text_.size() && (is_digit(text_[pos_]) || (text_[pos_] == '.' && !dot))) {
      dot = dot || text_[pos_] == '.';
      ++pos_;
    }
    out = std::string(text_.substr(start, pos_ - start));
    if (pos_ < text_.size() && (is_name_char(text_[pos_]) || text_[pos_] == '.')) {
      return fail(error, "malformed number '" + out + text_[pos_] + "'");
    }
    return true;
  }

  std::string read_name() {
    size_t start = pos_;
    while (pos_ < text_.size() && is_name_char(text_[pos_])) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

  std::string_view text_;
  std::string_view file_name_;
  size_t pos_ = 0;
  int line_ = 1;
};

std::string quoted(const Token& token) {
  if (token.kind == TokenKind::kEnd) return "the end of the file";
  if (token.kind == TokenKind::kString) return "\"" + token.text + "\"";
  return "'" + token.text + "'";
}

class Parser {
 public:
  Parser(const std::vector<Token>& tokens, std::string_view file_name)
      : tokens_(tokens), file_name_(file_name) {}

  bool run(std::vector<Definition>& definitions, std::string& error) {
    while (peek().kind != TokenKind::kEnd) {
      if (peek().kind != TokenKind::kName) {
        return fail(
            error, peek().line,
            "expected a tile definition (name : prototype { ... }), found " + quoted(peek()));
      }
      Definition def;
      def.name = peek().text;
      def.line = peek().line;
      ++pos_;
      if (peek().kind != TokenKind::kColon) {
        return fail(error, def.line, "expected ':' after the tile name '" + def.name + "'");
      }
      if (!prototypes_and_body(def, 0, error)) return false;
      definitions.push_back(std::move(def));
    }
    return true;
  }

 private:
  const Token& peek() const { return tokens_[pos_]; }

  bool fail(std::string& error, int line, const std::string& message) const {
    error = std::string(file_name_) + ":" + std::to_string(line) + ": " + message;
    return false;
  }

  // At a ':' token: reads ": proto [: proto ...] { body }".
  bool prototypes_and_body(Definition& def, int depth, std::string& error) {
    if (depth > kMaxDepth) return fail(error, peek().line, "tiles nested too deeply");
    while (peek().kind == TokenKind::kColon) {
      ++pos_;
      if (peek().kind != TokenKind::kName) {
        return fail(error, peek().line, "expected a tile name after ':', found " + quoted(peek()));
      }
      def.prototypes.push_back(peek().text);
      ++pos_;
    }
    if (peek().kind != TokenKind::kOpen) {
      return fail(error, peek().line,
                  "expected '{' after ': " + def.prototypes.back() + "', found " + quoted(peek()));
    }
    int opened = peek().line;
    ++pos_;
    while (peek().kind != TokenKind::kClose) {
      if (peek().kind == TokenKind::kEnd) {
        std::string what =
            def.name.empty() ? "': " + def.prototypes.front() + "'" : "'" + def.name + "'";
        return fail(error, opened, "tile " + what + " opened here is never closed with '}'");
      }
      if (!item(def, depth, error)) return false;
    }
    ++pos_;
    return true;
  }

  bool item(Definition& def, int depth, std::string& error) {
    Definition child;
    child.line = peek().line;
    if (peek().kind == TokenKind::kColon) {
      if (!prototypes_and_body(child, depth + 1, error)) return false;
      def.children.push_back(std::move(child));
      return true;
    }
    if (peek().kind != TokenKind::kName) {
      return fail(error, peek().line,
                  "expected an attribute, a tile or '}', found " + quoted(peek()));
    }
    std::string name = peek().text;
    ++pos_;
    switch (peek().kind) {
      case TokenKind::kEquals: {
        ++pos_;
        const Token& value = peek();
        if (value.kind != TokenKind::kString && value.kind != TokenKind::kNumber &&
            value.kind != TokenKind::kName) {
          return fail(error, value.line,
                      "expected a value after '" + name + " =', found " + quoted(value));
        }
        ++pos_;
        if (peek().kind != TokenKind::kSemicolon) {
          return fail(error, value.line, "expected ';' after attribute value");
        }
        ++pos_;
        def.attributes.emplace_back(name, value.text);
        return true;
      }
      case TokenKind::kSemicolon:
        ++pos_;
        child.prototypes.push_back(name);
        def.children.push_back(std::move(child));
        return true;
      case TokenKind::kColon:
        child.name = name;
        if (!prototypes_and_body(child, depth + 1, error)) return false;
        def.children.push_back(std::move(child));
        return true;
      default:
        return fail(error, child.line,
                    "expected '=', ';' or ':' after '" + name + "', found " + quoted(peek()));
    }
  }

  const std::vector<Token>& tokens_;
  std::string_view file_name_;
  size_t pos_ = 0;
};

size_t tile_count(const Tile& tile) {
  size_t n = 1;
  for (const Tile& child : tile.children) n += tile_count(child);
  return n;
}

// Turns definitions into tiles. Names are looked up among the definitions first, then in
// `base`; tiles resolved by name are kept, so each definition is resolved once.
class Resolver {
 public:
  Resolver(const std::vector<Definition>& definitions,
           const std::map<std::string, Tile, std::less<>>& base, std::string_view file_name)
      : base_(base), file_name_(file_name) {
    for (const Definition& def : definitions) by_name_.emplace(def.name, &def);
  }

  bool named(const std::string& name, int line, int depth, Tile& out, std::string& error) {
    if (auto done = resolved_.find(name); done != resolved_.end()) {
      out = done->second;
      return true;
    }
    auto def = by_name_.find(name);
    if (def == by_name_.end()) {
      auto base = base_.find(name);
      if (base == base_.end()) return fail(error, line, "unknown tile '" + name + "'");
      out = base->second;
      return true;
    }
    if (!in_progress_.insert(name).second) {
      return fail(error, line, "tile '" + name + "' is its own prototype");
    }
    if (!resolve(*def->second, depth, out, error)) return false;
    in_progress_.erase(name);
    resolved_.emplace(name, out);
    return true;
  }

  bool resolve(const Definition& def, int depth, Tile& out, std::string& error) {
    if (depth > kMaxDepth) return fail(error, def.line, "prototypes nested too deeply");
    out = Tile{};
    for (const std::string& proto : def.prototypes) {
      Tile base;
      if (!named(proto, def.line, depth + 1, base, error)) return false;
      if (out.type.empty()) out.type = base.type;
      for (auto& [name, value] : base.attributes) out.attributes[name] = value;
      for (Tile& child : base.children) out.children.push_back(std::move(child));
    }
    out.name = def.name;
    for (const auto& [name, value] : def.attributes) out.attributes[name] = value;
    for (const Definition& child_def : def.children) {
      Tile child;
      if (!resolve(child_def, depth + 1, child, error)) return false;
      out.children.push_back(std::move(child));
    }
    if (tile_count(out) > kMaxTiles) {
      return fail(error, def.line, "more than " + std::to_string(kMaxTiles) + " tiles");
    }
    return true;
  }

 private:
  bool fail(std::string& error, int line, const std::string& message) const {
    error = std::string(file_name_) + ":" + std::to_string(line) + ": " + message;
    return false;
  }

  const std::map<std::string, Tile, std::less<>>& base_;
  std::string_view file_name_;
  std::map<std::string, const Definition*, std::less<>> by_name_;
  std::map<std::string, Tile, std::less<>> resolved_;
  std::set<std::string, std::less<>> in_progress_;
};

bool read_definitions(std::string_view text, std::string_view file_name,
                      std::vector<Definition>& definitions, std::vector<std::string>& notes,
                      std::string& error) {
  std::vector<Token> tokens;
  if (!Lexer(text, file_name).run(tokens, notes, error)) return false;
  return Parser(tokens, file_name).run(definitions, error);
}

// Moves key, label and value out of the attribute map. They stay in the map while prototypes
// are merged, so that a prototype's `label = ""` and an unset label remain different things.
void lift_fields(Tile& tile) {
  for (auto [field, name] : {std::pair{&tile.key, "key"}, std::pair{&tile.label, "label"},
                             std::pair{&tile.value, "value"}}) {
    if (auto it = tile.attributes.find(name); it != tile.attributes.end()) {
      *field = std::move(it->second);
      tile.attributes.erase(it);
    }
  }
  for (Tile& child : tile.children) lift_fields(child);
}

// The built-in tiles, in the form the resolver merges (fields still in the attribute map).
const std::map<std::string, Tile, std::less<>>& base_tiles() {
  static const std::map<std::string, Tile, std::less<>> tiles = [] {
    std::map<std::string, Tile, std::less<>> primitives;
    for (std::string_view type : kPrimitiveTiles) {
      Tile tile;
      tile.type = type;
      primitives.emplace(type, std::move(tile));
    }
    std::vector<Definition> definitions;
    std::vector<std::string> notes;
    std::string error;
    // The base text is part of this file and read by its own tests; it cannot fail at run time.
    read_definitions(kBaseDcl, "base.dcl", definitions, notes, error);
    Resolver resolver(definitions, primitives, "base.dcl");
    std::map<std::string, Tile, std::less<>> all = primitives;
    for (const Definition& def : definitions) {
      Tile tile;
      resolver.named(def.name, def.line, 0, tile, error);
      all.emplace(def.name, std::move(tile));
    }
    return all;
  }();
  return tiles;
}

}  // namespace

std::string Tile::attribute(std::string_view name, std::string_view fallback) const {
  auto it = attributes.find(name);
  return std::string(it == attributes.end() ? fallback : std::string_view(it->second));
}

bool Tile::flag(std::string_view name) const {
  auto it = attributes.find(name);
  return it != attributes.end() && it->second == "true";
}

const Tile* Tile::find(std::string_view wanted) const {
  if (key == wanted) return this;
  for (const Tile& child : children) {
    if (const Tile* found = child.find(wanted)) return found;
  }
  return nullptr;
}

const Tile* DclFile::dialog(std::string_view name) const {
  auto it = dialogs.find(name);
  return it == dialogs.end() ? nullptr : &it->second;
}

bool parse_dcl(std::string_view text, std::string_view file_name, DclFile& out,
               std::string& error) {
  out = DclFile{};
  out.file_name = file_name;
  std::vector<Definition> definitions;
  if (!read_definitions(text, file_name, definitions, out.notes, error)) return false;
  Resolver resolver(definitions, base_tiles(), file_name);
  std::set<std::string, std::less<>> seen;
  for (const Definition& def : definitions) {
    if (!seen.insert(def.name).second) {
      error = std::string(file_name) + ":" + std::to_string(def.line) + ": tile '" + def.name +
              "' is defined twice";
      return false;
    }
    // Every definition is resolved, used or not, so a mistake in any of them is reported.
    Tile tile;
    if (!resolver.named(def.name, def.line, 0, tile, error)) return false;
    if (tile.type == "dialog") {
      lift_fields(tile);
      out.dialogs.emplace(def.name, std::move(tile));
    }
  }
  return true;
}

bool load_dcl(const std::string& path, DclFile& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open the file";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    error = path + ": cannot read the file";
    return false;
  }
  return parse_dcl(text.str(), path, out, error);
}

}  // namespace cad
