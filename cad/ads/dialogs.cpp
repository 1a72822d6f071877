// The host's dialog functions (host/adsdlg.h) over the DCL reader and the dialog runner: the DCL
// files a host has loaded, the dialogs it shows, and the bridge from a dialog's tile actions to
// the module's callbacks.
//
// Where a DCL file is looked for: as given (relative to the current directory), then in the
// folders of the loaded modules, the newest first (the module that asks is normally the one that
// was loaded last), then beside the running executable. A name without an extension gets ".dcl",
// as with the real host. A file that cannot be found gives RTERROR without a message (the module
// says what it was looking for); a file that cannot be read prints the reader's message, which
// names the line.
//
// An ads_hdlg is valid from ads_new_dialog until ads_start_dialog returns; ads_get_tile and the
// other tile functions answer RTERROR for any other handle, for an unknown key and for a null
// argument. ads_get_tile cuts a value to the buffer and still answers RTNORM.
#include "cad/ads/dialogs.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/ads/bridge.h"
#include "cad/ads/loader.h"
#include "cad/base/utf8.h"
#include "cad/dialogs/dcl.h"
#include "cad/dialogs/dialog.h"
#include "cad/dialogs/runner.h"
#include "cad/input/reply.h"
#include "cad/input/transcript.h"
#include "host/adscodes.h"
#include "host/adsdlg.h"

namespace cad {

namespace {

namespace fs = std::filesystem;

struct ShownDialog {
  std::unique_ptr<Dialog> dialog;
  // Between ads_start_dialog and its return; a running dialog cannot be started again.
  bool running = false;
};

class DialogRegistry {
 public:
  // The smallest id not in use, so that ids stay small however often files come and go.
  int add_file(DclFile file) {
    int id = 1;
    while (files_.contains(id)) ++id;
    files_.emplace(id, std::move(file));
    return id;
  }

  const DclFile* file(int id) const {
    auto it = files_.find(id);
    return it == files_.end() ? nullptr : &it->second;
  }

  bool remove_file(int id) { return files_.erase(id) > 0; }

  // The dialog copies its layout, so unloading the file does not pull it from under it.
  Dialog& show(const Tile& layout, DialogPosition at) {
    auto dialog = std::make_unique<Dialog>(layout, at);
    Dialog& shown = *dialog;
    dialogs_.emplace(handle_of(shown), ShownDialog{std::move(dialog)});
    return shown;
  }

  ShownDialog* shown(ads_hdlg handle) {
    auto it = dialogs_.find(handle);
    return it == dialogs_.end() ? nullptr : &it->second;
  }

  Dialog* dialog(ads_hdlg handle) {
    ShownDialog* found = shown(handle);
    return found ? found->dialog.get() : nullptr;
  }

  void close(ads_hdlg handle) { dialogs_.erase(handle); }

  static ads_hdlg handle_of(Dialog& dialog) { return &dialog; }

 private:
  std::map<int, DclFile> files_;
  std::map<ads_hdlg, ShownDialog> dialogs_;
};

// Never destroyed: a host that ends after the statics of this file still finds it.
std::map<const Host*, DialogRegistry>& registries() {
  static auto& all = *new std::map<const Host*, DialogRegistry>;
  return all;
}

DialogRegistry& registry() { return registries()[&host()]; }

// Ends an ads_start_dialog however it ends: a callback may unwind it (acrx_abort, Esc).
class CloseWhenDone {
 public:
  CloseWhenDone(DialogRegistry& registry, ads_hdlg handle) : registry_(registry), handle_(handle) {}
  ~CloseWhenDone() { registry_.close(handle_); }
  CloseWhenDone(const CloseWhenDone&) = delete;
  CloseWhenDone& operator=(const CloseWhenDone&) = delete;

 private:
  DialogRegistry& registry_;
  ads_hdlg handle_;
};

std::optional<fs::path> find_dcl(const std::string& name) {
  fs::path given(name);
  if (!given.has_extension()) given += ".dcl";
  std::vector<fs::path> places{given};
  if (given.is_relative()) {
    std::vector<std::string> modules = host().modules().loaded();
    for (auto it = modules.rbegin(); it != modules.rend(); ++it) {
      places.push_back(fs::path(*it).parent_path() / given);
    }
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (!error) places.push_back(executable.parent_path() / given);
  }
  for (const fs::path& place : places) {
    std::error_code error;
    if (fs::is_regular_file(place, error)) return place;
  }
  return std::nullopt;
}

// The dialog's action for a module's callback; no action for NULLCB.
TileAction callback_action(Dialog& dialog, CLIENTFUNC callback) {
  if (!callback) return {};
  return [&dialog, callback](const std::string& key, const std::string& value, int reason) {
    // The packet's text lives as long as the call, as with the real host.
    std::wstring text = to_wide(value);
    ads_callback_packet packet{};
    packet.dialog = DialogRegistry::handle_of(dialog);
    packet.tile = const_cast<Tile*>(dialog.tile(key));
    packet.value = text.data();
    packet.client_data = dialog.client_data(key);
    packet.reason = reason;
    callback(&packet);
  };
}

// Dialog replies are whole lines of the host's replies; Esc cancels the dialog.
DialogIo dialog_io(Host& on) {
  DialogIo io;
  io.next_line = [&on]() -> std::optional<std::string> {
    Reply reply = on.replies().next(false);
    switch (reply.kind) {
      case Reply::Kind::kCancel:
        return "Cancel";
      case Reply::Kind::kEnd:
        return std::nullopt;
      default:
        if (reply.shown) on.transcript().typed(reply_text(reply));
        return reply_text(reply);
    }
  };
  // The runner ends its lines; the transcript begins them.
  io.print = [&on](const std::string& text) {
    std::string_view line(text);
    if (line.ends_with('\n')) line.remove_suffix(1);
    on.transcript().print("\n" + std::string(line));
  };
  io.interactive = [&on] { return on.replies().interactive(); };
  return io;
}

}  // namespace

void forget_dialogs(const Host& host) { registries().erase(&host); }

const Dialog* shown_dialog(const void* hdlg) { return registry().dialog(const_cast<void*>(hdlg)); }

}  // namespace cad

extern "C" {

int ads_load_dialog(const ACHAR* dclfile, int* dcl_id) {
  if (!dcl_id) return RTERROR;
  *dcl_id = -1;
  if (!dclfile) return RTERROR;
  std::optional<cad::fs::path> path = cad::find_dcl(cad::to_utf8(dclfile));
  if (!path) return RTERROR;
  cad::DclFile file;
  std::string error;
  if (!cad::load_dcl(path->string(), file, error)) {
    cad::host().transcript().print("\n" + error);
    return RTERROR;
  }
  *dcl_id = cad::registry().add_file(std::move(file));
  return RTNORM;
}

int ads_unload_dialog(int dcl_id) { return cad::registry().remove_file(dcl_id) ? RTNORM : RTERROR; }

int ads_new_dialog(const ACHAR* dlgname, int dcl_id, CLIENTFUNC def_callback, ads_hdlg* hdlg) {
  return ads_new_positioned_dialog(dlgname, dcl_id, def_callback, -1, -1, hdlg);
}

int ads_new_positioned_dialog(const ACHAR* dlgname, int dcl_id, CLIENTFUNC def_callback, int x,
                              int y, ads_hdlg* hdlg) {
  if (!hdlg) return RTERROR;
  *hdlg = nullptr;
  cad::DialogRegistry& registry = cad::registry();
  const cad::DclFile* file = registry.file(dcl_id);
  if (!file || !dlgname) return RTERROR;
  const cad::Tile* layout = file->dialog(cad::to_utf8(dlgname));
  if (!layout) return RTERROR;
  cad::Dialog& dialog = registry.show(*layout, cad::DialogPosition{x, y});
  dialog.set_default_action(cad::callback_action(dialog, def_callback));
  *hdlg = cad::DialogRegistry::handle_of(dialog);
  return RTNORM;
}

int ads_action_tile(ads_hdlg hdlg, const ACHAR* key, CLIENTFUNC tilefunc) {
  cad::Dialog* dialog = cad::registry().dialog(hdlg);
  if (!dialog || !key) return RTERROR;
  return dialog->set_action(cad::to_utf8(key), cad::callback_action(*dialog, tilefunc)) ? RTNORM
                                                                                        : RTERROR;
}

int ads_set_tile(ads_hdlg hdlg, const ACHAR* key, const ACHAR* value) {
  cad::Dialog* dialog = cad::registry().dialog(hdlg);
  if (!dialog || !key) return RTERROR;
  return dialog->set_tile(cad::to_utf8(key), cad::to_utf8(value)) ? RTNORM : RTERROR;
}

int ads_get_tile(ads_hdlg hdlg, const ACHAR* key, ACHAR* value, int maxlen) {
  if (!value || maxlen <= 0) return RTERROR;
  value[0] = L'\0';
  cad::Dialog* dialog = cad::registry().dialog(hdlg);
  if (!dialog || !key) return RTERROR;
  std::optional<std::string> text = dialog->get_tile(cad::to_utf8(key));
  if (!text) return RTERROR;
  cad::copy_wide(*text, value, static_cast<size_t>(maxlen));
  return RTNORM;
}

int ads_mode_tile(ads_hdlg hdlg, const ACHAR* key, short mode) {
  cad::Dialog* dialog = cad::registry().dialog(hdlg);
  if (!dialog || !key) return RTERROR;
  return dialog->mode_tile(cad::to_utf8(key), mode) ? RTNORM : RTERROR;
}

int ads_client_data_tile(ads_hdlg hdlg, const ACHAR* key, void* clientdata) {
  cad::Dialog* dialog = cad::registry().dialog(hdlg);
  if (!dialog || !key) return RTERROR;
  return dialog->set_client_data(cad::to_utf8(key), clientdata) ? RTNORM : RTERROR;
}

int ads_start_dialog(ads_hdlg hdlg, int* status) {
  cad::DialogRegistry& registry = cad::registry();
  cad::ShownDialog* shown = registry.shown(hdlg);
  if (!shown || shown->running || !status) return RTERROR;
  shown->running = true;
  cad::CloseWhenDone close(registry, hdlg);
  cad::DialogIo io = cad::dialog_io(cad::host());
  *status = cad::run(*shown->dialog, io);
  return RTNORM;
}

int ads_done_dialog(ads_hdlg hdlg, int status) {
  cad::Dialog* dialog = cad::registry().dialog(hdlg);
  if (!dialog) return RTERROR;
  dialog->done(status);
  return RTNORM;
}

int ads_done_positioned_dialog(ads_hdlg hdlg, int status, int* x_result, int* y_result) {
  cad::Dialog* dialog = cad::registry().dialog(hdlg);
  if (!dialog) return RTERROR;
  cad::DialogPosition at = dialog->done(status);
  if (x_result) *x_result = at.x;
  if (y_result) *y_result = at.y;
  return RTNORM;
}

}  // extern "C"
