// Shared helpers of the dialog tests: DCL text to a dialog tree, and a scripted reply source that
// keeps everything the runner printed.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "cad/dialogs/dcl.h"
#include "cad/dialogs/runner.h"

namespace cad::testing {

// The file "test.dcl" holding `text`; a test failure when the text does not parse.
inline DclFile parsed(std::string_view text) {
  DclFile file;
  std::string error;
  if (!parse_dcl(text, "test.dcl", file, error)) ADD_FAILURE() << error;
  return file;
}

// The dialog `name` of `text`; a test failure (and an empty tile) when it is not there.
inline Tile dialog_of(std::string_view text, std::string_view name = "d") {
  const DclFile file = parsed(text);
  const Tile* dialog = file.dialog(name);
  if (!dialog) {
    ADD_FAILURE() << "no dialog " << name;
    return Tile{};
  }
  return *dialog;
}

// A tile tree on one line: its type, then "#key", 'label', "=value" and "{attribute=text}" where
// set, then its children in [ ].
inline std::string outline(const Tile& t) {
  std::string out = t.type;
  if (!t.key.empty()) out += "#" + t.key;
  if (!t.label.empty()) out += " '" + t.label + "'";
  if (!t.value.empty()) out += "=" + t.value;
  for (const auto& [name, text] : t.attributes) out += " {" + name + "=" + text + "}";
  for (size_t k = 0; k < t.children.size(); ++k)
    out += (k ? ", " : " [") + outline(t.children[k]) + (k + 1 < t.children.size() ? "" : "]");
  return out;
}

// The error message of text that must not parse.
inline std::string parse_error(std::string_view text) {
  DclFile file;
  std::string error;
  EXPECT_FALSE(parse_dcl(text, "bad.dcl", file, error)) << text;
  return error;
}

struct ScriptIo {
  explicit ScriptIo(std::vector<std::string> replies, bool terminal = false)
      : lines(replies.begin(), replies.end()), interactive(terminal) {}

  DialogIo io() {
    return DialogIo{[this]() -> std::optional<std::string> {
                      if (lines.empty()) return std::nullopt;
                      std::string line = lines.front();
                      lines.pop_front();
                      return line;
                    },
                    [this](const std::string& text) { out += text; },
                    [this] { return interactive; }};
  }

  std::deque<std::string> lines;
  bool interactive;
  std::string out;
};

// Runs `dialog` on `replies` as a script.
inline int run_script(Dialog& dialog, ScriptIo& script) {
  DialogIo io = script.io();
  return run(dialog, io);
}

}  // namespace cad::testing
