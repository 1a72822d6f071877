#include "cad/dialogs/dialog.h"

#include <utility>

#include "cad/base/utf8.h"

namespace cad {

Dialog::Dialog(const Tile& layout, DialogPosition at)
    : layout_(layout), position_(at == DialogPosition{} ? kDefaultDialogPosition : at) {
  add_tiles(layout_);
  focus_ = layout_.attribute("initial_focus");
}

void Dialog::add_tiles(const Tile& tile) {
  if (!tile.key.empty() && !tiles_.contains(tile.key)) {
    TileState state;
    state.tile = &tile;
    state.value = tile.value;
    if (tile.type == "text" && state.value.empty()) {
      state.value = tile.label;
    } else if ((tile.type == "toggle" || tile.type == "radio_button") && state.value.empty()) {
      state.value = "0";
    }
    state.value = truncate_utf8(state.value, kMaxTileValueChars);
    state.enabled = tile.attribute("is_enabled", "true") != "false";
    tiles_.emplace(tile.key, std::move(state));
  }
  for (const Tile& child : tile.children) add_tiles(child);
}

Dialog::TileState* Dialog::state(std::string_view key) {
  auto it = tiles_.find(key);
  return it == tiles_.end() ? nullptr : &it->second;
}

const Dialog::TileState* Dialog::state(std::string_view key) const {
  auto it = tiles_.find(key);
  return it == tiles_.end() ? nullptr : &it->second;
}

const Tile* Dialog::tile(std::string_view key) const {
  const TileState* found = state(key);
  return found ? found->tile : nullptr;
}

bool Dialog::set_tile(std::string_view key, std::string_view value) {
  TileState* found = state(key);
  if (!found) return false;
  found->value = truncate_utf8(value, kMaxTileValueChars);
  return true;
}

std::optional<std::string> Dialog::get_tile(std::string_view key) const {
  const TileState* found = state(key);
  if (!found) return std::nullopt;
  return found->value;
}

bool Dialog::mode_tile(std::string_view key, int mode) {
  TileState* found = state(key);
  if (!found) return false;
  switch (static_cast<TileMode>(mode)) {
    case TileMode::kEnable:
      found->enabled = true;
      return true;
    case TileMode::kDisable:
      found->enabled = false;
      return true;
    case TileMode::kFocus:
      focus_ = key;
      return true;
    case TileMode::kSelectText:
      selected_ = key;
      return true;
    case TileMode::kFlipImage:
      found->flipped = !found->flipped;
      return true;
  }
  return false;
}

bool Dialog::enabled(std::string_view key) const {
  const TileState* found = state(key);
  return found && found->enabled;
}

bool Dialog::flipped(std::string_view key) const {
  const TileState* found = state(key);
  return found && found->flipped;
}

bool Dialog::set_client_data(std::string_view key, void* data) {
  TileState* found = state(key);
  if (!found) return false;
  found->client_data = data;
  return true;
}

void* Dialog::client_data(std::string_view key) const {
  const TileState* found = state(key);
  return found ? found->client_data : nullptr;
}

bool Dialog::set_action(std::string_view key, TileAction action) {
  TileState* found = state(key);
  if (!found) return false;
  found->action = std::move(action);
  return true;
}

bool Dialog::has_action(std::string_view key) const {
  const TileState* found = state(key);
  return found && found->action;
}

bool Dialog::fire(std::string_view key, int reason) {
  const TileState* found = state(key);
  if (!found) return false;
  // Copies, because the callback may replace actions or change the value it is given.
  TileAction action = found->action ? found->action : default_action_;
  if (!action) return false;
  std::string tile_key(key);
  std::string value = found->value;
  action(tile_key, value, reason);
  return true;
}

DialogPosition Dialog::done(int status) {
  if (open_) {
    open_ = false;
    status_ = status;
  }
  return position_;
}

}  // namespace cad
