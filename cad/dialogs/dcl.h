// DCL, the host's dialog description language: reads a dialog file into the tile tree of each of
// its dialogs, with the host's base tiles (ok_cancel, errtile, spacer, ...) built in and every
// prototype reference resolved, so that a dialog is plain data by the time it is shown.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

// One tile of a dialog after its prototypes are resolved.
struct Tile {
  // The base tile it comes down to: "dialog", "row", "boxed_column", "edit_box", "text", ...
  std::string type;
  // The definition's name when the tile was defined by name ("dulk", "my_edit"); empty for an
  // unnamed child (": row { }") and for a reference ("ok_cancel;").
  std::string name;
  std::string key;
  std::string label;
  std::string value;
  // Every other attribute, by name, as written: strings without quotes and with escapes decoded,
  // numbers and identifiers (true, false, centered, ...) as their text.
  std::map<std::string, std::string, std::less<>> attributes;
  std::vector<Tile> children;

  // The attribute's text, or `fallback` when neither the tile nor its prototypes set it.
  std::string attribute(std::string_view name, std::string_view fallback = {}) const;
  // True when the attribute is the identifier `true`.
  bool flag(std::string_view name) const;
  // The first tile of this tree (itself included), depth first, with that key; null when none.
  const Tile* find(std::string_view key) const;
};

struct DclFile {
  std::string file_name;
  // Top-level definitions that come down to "dialog", by name (names are case sensitive).
  std::map<std::string, Tile, std::less<>> dialogs;
  // Things read but not acted on, each naming its line: an @include is not followed, because a
  // dialog of this host is always described by one file.
  std::vector<std::string> notes;

  const Tile* dialog(std::string_view name) const;
};

// Reads DCL text. `file_name` only names the text in messages. On failure returns false and
// sets `error` to one message naming the line, e.g. "dulk.dcl:12: expected ';' after attribute
// value"; `out` then holds whatever was read before the fault.
//
// Names of the file shadow the base tiles; a prototype may be defined before or after its use.
// A tile with several prototypes (`a : b : c { }`) takes its type from the first, attributes
// from all (a later one wins, its own attributes win over all) and the children of all, followed
// by its own. Unknown escapes in strings (`\q`) are kept as written; `\"`, `\\`, `\n` and `\t`
// are decoded. Text is taken as bytes: a UTF-8 file gives UTF-8 labels.
bool parse_dcl(std::string_view text, std::string_view file_name, DclFile& out, std::string& error);

// Reads the DCL file at `path` (named by `path` in messages). False with `error` set when the
// file cannot be read or parsed.
bool load_dcl(const std::string& path, DclFile& out, std::string& error);

}  // namespace cad
