// Shared pieces of the host command tests: a fresh host per test holding a new drawing with the
// host's commands registered and a quiet transcript; tokens as a module scripts them; a person's
// typing as a script; and a snapshot of everything an undo must restore.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cad/ads/bridge.h"
#include "cad/ads/host.h"
#include "cad/base/text.h"
#include "cad/builtins/builtins.h"
#include "cad/dxf/compare.h"
#include "cad/dxf/complete.h"
#include "cad/dxf/new_drawing.h"
#include "cad/input/prompter.h"
#include "cad/input/reply.h"
#include "cad/input/script_source.h"
#include "cad/input/transcript.h"

namespace cad::testing {

inline Reply T(std::string text) { return text_reply(std::move(text)); }
inline Reply P(double x, double y, double z = 0) { return point_reply({x, y, z}); }
inline Reply A(double degrees) { return angle_reply(degrees); }

// The drawing, the session's variables and the UCS, to compare before and after an undo.
struct Snapshot {
  std::unique_ptr<Database> drawing;
  std::vector<std::pair<std::string, VarValue>> vars;
  Ucs ucs;

  explicit Snapshot(const Host& host) : drawing(copy_drawing(const_cast<Host&>(host).db())) {
    for (const SysVarInfo& info : all_sysvars()) {
      // Undo settings are not part of the drawing, and handles are never given twice.
      if (iequals(info.name, "UNDOCTL") || iequals(info.name, "HANDSEED")) continue;
      vars.emplace_back(info.name, *host.get_var(info.name));
    }
    ucs = host.ucs();
  }

  // Empty when the same; otherwise the first difference.
  std::string diff(const Snapshot& other) const {
    if (std::string d = diff_records(*drawing, *other.drawing); !d.empty()) return d;
    for (size_t k = 0; k < vars.size(); ++k)
      if (!(vars[k].second == other.vars[k].second)) return "variable " + vars[k].first;
    if (!(ucs.origin == other.ucs.origin && ucs.x_axis == other.ucs.x_axis &&
          ucs.y_axis == other.ucs.y_axis))
      return "UCS";
    return {};
  }
};

class BuiltinsTest : public ::testing::Test {
 protected:
  BuiltinsTest() {
    host_.transcript().set_output(nullptr);
    host_.set_db(new_drawing());
    set_current_host(&host_);
    register_builtins(host_);
  }
  ~BuiltinsTest() override { set_current_host(nullptr); }

  Database& db() { return host_.db(); }

  // A command as a module scripts it; RTNORM when it completed.
  int run(std::vector<Reply> tokens) { return host_.run_scripted(std::move(tokens)); }

  // Commands as a person types them; returns the number of failures of the command loop.
  int type(std::string_view script) {
    host_.set_reply_source(std::make_unique<ScriptSource>(script, "test.scr"));
    return host_.command_loop();
  }

  // The newest entity of model space that is not erased.
  RecordId last_entity() {
    const std::vector<RecordId>& list = db().entities();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
      if (!db().erased(*it)) return *it;
    return kNoRecord;
  }

  Reply entity(RecordId id) {
    ads_name name;
    make_name(db(), id, name);
    return entity_reply(name[0], name[1]);
  }

  std::vector<RecordId> live_entities(std::string_view type) {
    std::vector<RecordId> out;
    for (RecordId id : db().entities())
      if (!db().erased(id) && db().record(id).type == type) out.push_back(id);
    return out;
  }

  std::string var_text(std::string_view name) { return host_.get_var(name)->s; }

  Host host_;
};

}  // namespace cad::testing
