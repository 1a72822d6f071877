#include "cad/dialogs/runner.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>
#include <vector>

#include "cad/base/text.h"
#include "cad/base/utf8.h"

namespace cad {

namespace {

enum class TileUse { kNone, kText, kValue, kToggle, kButton, kCluster, kBoxedCluster };

TileUse use_of(const Tile& tile) {
  const std::string& t = tile.type;
  if (t == "edit_box" || t == "list_box" || t == "popup_list" || t == "slider") {
    return TileUse::kValue;
  }
  if (t == "toggle" || t == "radio_button") return TileUse::kToggle;
  if (t == "button" || t == "image_button") return TileUse::kButton;
  if (t == "text") return TileUse::kText;
  if (t.starts_with("boxed_")) return TileUse::kBoxedCluster;
  if (t == "dialog" || t == "row" || t == "column" || t == "radio_row" || t == "radio_column" ||
      t == "concatenation" || t == "paragraph") {
    return TileUse::kCluster;
  }
  return TileUse::kNone;
}

// What a person can act on: a tile with a key the dialog answers to.
bool is_operable(const Dialog& dialog, const Tile& tile) {
  TileUse use = use_of(tile);
  return (use == TileUse::kValue || use == TileUse::kToggle || use == TileUse::kButton) &&
         dialog.tile(tile.key) == &tile;
}

// Labels mark the access key with '&' ("&Help..."); a terminal has no access keys.
std::string shown_label(const Tile& tile) {
  std::string out;
  for (char c : tile.label) {
    if (c != '&') out += c;
  }
  return out.empty() ? tile.key : out;
}

std::string pad(std::string text, size_t width) {
  size_t length = utf8_length(text);
  if (length < width) text.append(width - length, ' ');
  return text;
}

// Blanks as isspace finds them in the C locale.
constexpr std::string_view kBlanks = " \t\n\v\f\r";

bool parse_int(std::string_view text, int& out) {
  std::string trimmed(trim(text, kBlanks));
  const char* end = trimmed.data() + trimmed.size();
  auto [ptr, ec] = std::from_chars(trimmed.data(), end, out);
  return !trimmed.empty() && ec == std::errc() && ptr == end;
}

// Walks the layout in order, numbering the tiles a person can act on.
class FormBuilder {
 public:
  explicit FormBuilder(const Dialog& dialog) : dialog_(dialog) {
    measure(dialog.layout());
    walk(dialog.layout(), 1);
  }

  const std::string& text() const { return text_; }
  const std::vector<std::string>& keys() const { return keys_; }

 private:
  void measure(const Tile& tile) {
    if (use_of(tile) == TileUse::kValue && is_operable(dialog_, tile)) {
      label_width_ = std::max(label_width_, utf8_length(shown_label(tile)));
    }
    for (const Tile& child : tile.children) measure(child);
  }

  void walk(const Tile& tile, int depth) {
    std::string indent(2 * static_cast<size_t>(depth), ' ');
    TileUse use = use_of(tile);
    if (use == TileUse::kBoxedCluster && !tile.label.empty()) {
      text_ += indent + shown_label(tile) + "\n";
      ++depth;
    }
    if (use == TileUse::kText) {
      std::string shown =
          dialog_.tile(tile.key) == &tile ? *dialog_.get_tile(tile.key) : tile.label;
      if (!shown.empty()) text_ += indent + "     " + shown + "\n";
    } else if (is_operable(dialog_, tile)) {
      keys_.push_back(tile.key);
      std::string number = std::to_string(keys_.size());
      std::string line =
          indent + std::string(number.size() < 3 ? 3 - number.size() : 0, ' ') + number + "  ";
      const std::string value = *dialog_.get_tile(tile.key);
      if (use == TileUse::kValue) {
        line += pad(shown_label(tile), label_width_) + "  [" + value + "]";
      } else if (use == TileUse::kToggle) {
        line += std::string(value == "1" ? "[x] " : "[ ] ") + shown_label(tile);
      } else {
        line += "< " + shown_label(tile) + " >";
      }
      if (!dialog_.enabled(tile.key)) line += "  (disabled)";
      text_ += line + "\n";
    }
    if (use == TileUse::kCluster || use == TileUse::kBoxedCluster) {
      for (const Tile& child : tile.children) walk(child, depth);
    }
  }

  const Dialog& dialog_;
  size_t label_width_ = 0;
  std::string text_;
  std::vector<std::string> keys_;
};

class Runner {
 public:
  Runner(Dialog& dialog, DialogIo& io)
      : dialog_(dialog),
        io_(io),
        interactive_(io.interactive()),
        numbered_(FormBuilder(dialog).keys()) {}

  int run() {
    while (dialog_.is_open()) {
      if (interactive_) {
        io_.print(format_form(dialog_));
        io_.print("Tile number or key, key=value, OK or Cancel: ");
      }
      std::optional<std::string> line = io_.next_line();
      if (!line) {
        end_of_input();
        break;
      }
      reply(*line);
    }
    return dialog_.status();
  }

 private:
  void say(const std::string& message) {
    io_.print("dialog \"" + dialog_.name() + "\": " + message + "\n");
  }

  void end_of_input() {
    dialog_.done(kDialogCancel);
    say("input ended, dialog cancelled");
  }

  void reply(std::string_view line) {
    if (line.ends_with('\r')) line.remove_suffix(1);
    std::string word(trim(line, kBlanks));
    std::string command = to_upper(word);
    if (word.empty()) {
      press_default();
    } else if (command == "OK") {
      if (dialog_.tile("accept")) {
        press("accept");
      } else {
        say("no OK button (a tile \"accept\")");
      }
    } else if (command == "CANCEL") {
      if (dialog_.tile("cancel")) {
        press("cancel");
      } else {
        dialog_.done(kDialogCancel);
      }
    } else if (command == "MOVE" || command.starts_with("MOVE ")) {
      move(std::string_view(word).substr(4));
    } else if (size_t eq = line.find('='); eq != std::string_view::npos) {
      if (std::optional<std::string> key = target(std::string(trim(line.substr(0, eq), kBlanks)))) {
        edit(*key, line.substr(eq + 1));
      }
    } else if (std::optional<std::string> key = target(word)) {
      choose(*key);
    }
  }

  // The key a reply names: a key of the dialog, else a number of the form.
  std::optional<std::string> target(const std::string& word) {
    if (dialog_.tile(word)) return word;
    int number = 0;
    if (parse_int(word, number) && number >= 1 && number <= static_cast<int>(numbered_.size())) {
      return numbered_[static_cast<size_t>(number) - 1];
    }
    if (word.empty()) {
      say("a tile key is missing before '='");
    } else {
      say("no tile \"" + word + "\"; replies are key=value, a key, OK, Cancel or MOVE x,y");
    }
    return std::nullopt;
  }

  void move(std::string_view coordinates) {
    size_t comma = coordinates.find(',');
    DialogPosition to;
    if (comma == std::string_view::npos || !parse_int(coordinates.substr(0, comma), to.x) ||
        !parse_int(coordinates.substr(comma + 1), to.y)) {
      say("MOVE needs a position as x,y in whole numbers, e.g. MOVE 200,150");
      return;
    }
    dialog_.move(to);
  }

  bool usable(const std::string& key) {
    if (dialog_.enabled(key)) return true;
    say("tile \"" + key + "\" is disabled");
    return false;
  }

  void edit(const std::string& key, std::string_view value) {
    const Tile& tile = *dialog_.tile(key);
    TileUse use = use_of(tile);
    if (use != TileUse::kValue && use != TileUse::kToggle) {
      say("tile \"" + key + "\" (" + tile.type + ") takes no value" +
          (use == TileUse::kButton ? "; type its key alone to press it" : ""));
      return;
    }
    if (!usable(key)) return;
    std::string kept(value);
    if (tile.type == "edit_box") {
      int limit = 0;
      if (!parse_int(tile.attribute("edit_limit"), limit) || limit <= 0) {
        limit = static_cast<int>(kDefaultEditLimit);
      }
      kept = truncate_utf8(kept, static_cast<size_t>(limit));
    }
    dialog_.set_tile(key, kept);
    dialog_.fire(key);
  }

  void choose(const std::string& key) {
    const Tile& tile = *dialog_.tile(key);
    switch (use_of(tile)) {
      case TileUse::kButton:
        press(key);
        return;
      case TileUse::kToggle:
        if (!usable(key)) return;
        dialog_.set_tile(key, tile.type == "toggle" && dialog_.get_tile(key) == "1" ? "0" : "1");
        dialog_.fire(key);
        return;
      case TileUse::kValue:
        if (!interactive_) {
          say("tile \"" + key + "\" needs a value: " + key + "=value");
          return;
        }
        if (!usable(key)) return;
        io_.print(shown_label(tile) + " <" + *dialog_.get_tile(key) + ">: ");
        if (std::optional<std::string> value = io_.next_line()) {
          // Enter alone keeps the value, as at the host's prompts.
          if (!value->empty()) edit(key, *value);
        } else {
          end_of_input();
        }
        return;
      default:
        say("tile \"" + key + "\" (" + tile.type + ") cannot be chosen");
    }
  }

  void press(const std::string& key) {
    if (!usable(key)) return;
    if (dialog_.has_action(key)) {
      dialog_.fire(key);
    } else if (key == "accept") {
      dialog_.done(kDialogOk);
    } else if (key == "cancel") {
      dialog_.done(kDialogCancel);
    } else {
      dialog_.fire(key);
    }
  }

  void press_default() {
    for (const std::string& key : numbered_) {
      if (dialog_.tile(key)->flag("is_default")) {
        press(key);
        return;
      }
    }
    say("no default button to press with Enter");
  }

  Dialog& dialog_;
  DialogIo& io_;
  bool interactive_;
  std::vector<std::string> numbered_;
};

}  // namespace

int run(Dialog& dialog, DialogIo& io) { return Runner(dialog, io).run(); }

std::string format_form(const Dialog& dialog) {
  const std::string& title = dialog.label().empty() ? dialog.name() : dialog.label();
  return title + "\n" + FormBuilder(dialog).text();
}

}  // namespace cad
