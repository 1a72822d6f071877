// The one fixture of the tests that run the stand-in host: a fresh current host per test with a
// new drawing, the host's own commands and a quiet transcript; commands whose bodies are a test's
// code; replies as a script or as the tokens a module passes; owners and readers for
// result-buffer lists.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/ads/bridge.h"
#include "cad/ads/host.h"
#include "cad/base/text.h"
#include "cad/builtins/builtins.h"
#include "cad/db/database.h"
#include "cad/dxf/new_drawing.h"
#include "cad/input/prompter.h"
#include "cad/input/reply.h"
#include "cad/input/script_source.h"
#include "cad/input/transcript.h"
#include "host/adslib.h"

namespace cad::testing {

struct RbDeleter {
  void operator()(resbuf* rb) const { acutRelRb(rb); }
};
using RbList = std::unique_ptr<resbuf, RbDeleter>;

// Group codes of a list in order.
inline std::vector<int> codes(const resbuf* rb) {
  std::vector<int> out;
  for (; rb; rb = rb->rbnext) out.push_back(rb->restype);
  return out;
}

// The first node of a list with this type, or nullptr.
inline const resbuf* find_rb(const resbuf* rb, int type) {
  for (; rb; rb = rb->rbnext)
    if (rb->restype == type) return rb;
  return nullptr;
}
inline resbuf* find_rb(resbuf* rb, int type) {
  return const_cast<resbuf*>(find_rb(static_cast<const resbuf*>(rb), type));
}

inline std::wstring rb_string(const resbuf* rb, int type) {
  const resbuf* found = find_rb(rb, type);
  return found && found->resval.rstring ? found->resval.rstring : L"";
}

// Hangs a list built by acutBuildList at the end of another.
inline void append(resbuf* list, resbuf* tail) {
  while (list->rbnext) list = list->rbnext;
  list->rbnext = tail;
}

// Values as acedSetVar and acedTrans take them; a text stays the caller's.
inline resbuf rb_short(short v) { return {nullptr, RTSHORT, {.rint = v}}; }
inline resbuf rb_real(double v) { return {nullptr, RTREAL, {.rreal = v}}; }
inline resbuf rb_text(const wchar_t* s) {
  return {nullptr, RTSTR, {.rstring = const_cast<ACHAR*>(s)}};
}
inline resbuf rb_point(double x, double y, double z) {
  return {nullptr, RT3DPOINT, {.rpoint = {x, y, z}}};
}
inline int set_var(const wchar_t* var, resbuf value) { return acedSetVar(var, &value); }
inline int set_short(const wchar_t* var, short value) { return set_var(var, rb_short(value)); }

// A variable's value through acedGetVar; a text the caller's to release.
inline resbuf get_var(const wchar_t* var) {
  resbuf value{nullptr, RTNONE, {}};
  EXPECT_EQ(acedGetVar(var, &value), RTNORM) << "acedGetVar " << var;
  return value;
}

class HostFixture : public ::testing::Test {
 protected:
  HostFixture() {
    host_.transcript().set_output(nullptr);
    host_.set_db(new_drawing());
    set_current_host(&host_);
    register_builtins(host_);
  }
  ~HostFixture() override { set_current_host(nullptr); }

  Database& db() { return host_.db(); }

  // A command whose body is a test's code, under the group "TEST".
  void add_command(const std::string& name, std::function<void()> body) {
    host_.commands().remove("TEST", name);
    CommandDef def;
    def.group = "TEST";
    def.global_name = name;
    def.local_name = name;
    def.body = std::move(body);
    ASSERT_TRUE(host_.commands().add(std::move(def)));
  }

  // Runs body as one command of the host, as a module's command bodies run.
  CommandResult run(std::function<void()> body) {
    add_command("BODY", std::move(body));
    return host_.run_command("BODY");
  }

  // A command as a module scripts it; RTNORM when it completed.
  int run(std::vector<Reply> tokens) { return host_.run_scripted(std::move(tokens)); }

  // Replies for the prompts that follow, in the host's script form.
  void replies(std::string_view script) {
    host_.set_reply_source(std::make_unique<ScriptSource>(script, "test.scr"));
  }

  // Commands as a person types them; the number of failures of the command loop.
  int type(std::string_view script) {
    replies(script);
    return host_.command_loop();
  }

  std::string transcript() { return host_.transcript().text(); }

  // Makes an entity of the list (released here) through the interface; its name.
  std::vector<int64_t> make_entity(resbuf* list) {
    RbList owned(list);
    EXPECT_EQ(acdbEntMake(owned.get()), RTNORM);
    ads_name name;
    EXPECT_EQ(acdbEntLast(name), RTNORM);
    return {name[0], name[1]};
  }

  std::vector<int64_t> make_line(ads_real x1, ads_real y1, ads_real x2, ads_real y2,
                                 const wchar_t* layer = L"0") {
    ads_point a = {x1, y1, 0}, b = {x2, y2, 0};
    return make_entity(acutBuildList(RTDXF0, L"LINE", 8, layer, 10, a, 11, b, 0));
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

  // The entities of model space of a type that are not erased, in drawing order.
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
