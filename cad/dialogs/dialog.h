// A dialog while it is shown: the values, modes, client data and action callbacks of its tiles,
// its place on the screen and how it ended. The ads_* dialog functions act on one of these.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "cad/dialogs/dcl.h"

namespace cad {

// End status of a dialog (DLGCANCEL, DLGOK); a callback may end it with any other number.
constexpr int kDialogCancel = 0;
constexpr int kDialogOk = 1;

// Why an action callback runs: 1 the person selected the tile (typed into an edit box, pressed a
// button). The host also knows 2 lost focus, 3 drag and 4 double click; this host sends only 1.
constexpr int kReasonSelect = 1;

// Characters (not bytes) of a tile value the host keeps; longer values are cut.
constexpr size_t kMaxTileValueChars = 2035;
// What a person may type into an edit box without an edit_limit attribute.
constexpr size_t kDefaultEditLimit = 132;

// A place on the screen. The host's "place it yourself" is (-1, -1).
struct DialogPosition {
  int x = -1;
  int y = -1;
  bool operator==(const DialogPosition&) const = default;
};

// Where this headless host puts a dialog that asks to be placed by the host.
constexpr DialogPosition kDefaultDialogPosition{100, 100};

using TileAction =
    std::function<void(const std::string& key, const std::string& value, int reason)>;

// Modes of mode_tile.
enum class TileMode { kEnable = 0, kDisable = 1, kFocus = 2, kSelectText = 3, kFlipImage = 4 };

class Dialog {
 public:
  // Shows the dialog `layout` (a tree from DclFile::dialogs) at `at`; (-1, -1) lets the host
  // place it at kDefaultDialogPosition. Initial values come from the tiles' value attributes
  // (a text tile shows its label, a toggle without a value is "0"); is_enabled = false tiles
  // start disabled; the focus starts on the dialog's initial_focus tile.
  explicit Dialog(const Tile& layout, DialogPosition at = {});
  // Tiles are held by address; the dialog stays where it was made.
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  const Tile& layout() const { return layout_; }
  // The dialog's definition name ("dulk") and its title.
  const std::string& name() const { return layout_.name; }
  const std::string& label() const { return layout_.label; }

  // The tile with that key; null when the dialog has none. With two tiles of one key, the first
  // in layout order is the one the dialog works with.
  const Tile* tile(std::string_view key) const;

  // False for an unknown key. Values longer than kMaxTileValueChars characters are cut.
  bool set_tile(std::string_view key, std::string_view value);
  std::optional<std::string> get_tile(std::string_view key) const;

  // Mode numbers 0..4 (TileMode); false for an unknown key or mode. Focus and text selection
  // belong to one tile at a time; a flip toggles the image's flipped state.
  bool mode_tile(std::string_view key, int mode);
  bool enabled(std::string_view key) const;
  bool flipped(std::string_view key) const;
  const std::string& focus() const { return focus_; }
  const std::string& selected_text() const { return selected_; }

  // The caller's data stays the caller's; the dialog only hands it back.
  bool set_client_data(std::string_view key, void* data);
  void* client_data(std::string_view key) const;

  // Replaces the tile's action; an empty function removes it. False for an unknown key.
  bool set_action(std::string_view key, TileAction action);
  bool has_action(std::string_view key) const;
  // Runs for tiles without an action of their own.
  void set_default_action(TileAction action) { default_action_ = std::move(action); }
  // Runs the tile's action with its current value, or the default action when the tile has
  // none. False when neither ran (unknown key, no action at all).
  bool fire(std::string_view key, int reason = kReasonSelect);

  // Ends the dialog with `status` and gives back where it stood. Only the first call sets the
  // status; later calls (a second callback ending it again) just report the position.
  DialogPosition done(int status);
  bool is_open() const { return open_; }
  // The status given to done(); kDialogCancel while the dialog is open.
  int status() const { return status_; }

  DialogPosition position() const { return position_; }
  void move(DialogPosition to) { position_ = to; }

 private:
  struct TileState {
    const Tile* tile = nullptr;
    std::string value;
    bool enabled = true;
    bool flipped = false;
    void* client_data = nullptr;
    TileAction action;
  };

  void add_tiles(const Tile& tile);
  TileState* state(std::string_view key);
  const TileState* state(std::string_view key) const;

  Tile layout_;
  std::map<std::string, TileState, std::less<>> tiles_;
  TileAction default_action_;
  std::string focus_;
  std::string selected_;
  DialogPosition position_;
  bool open_ = true;
  int status_ = kDialogCancel;
};

}  // namespace cad
