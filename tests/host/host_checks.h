// Shared pieces of the host tests: a fresh current host per test with a quiet transcript,
// test commands whose bodies call the C interface, owners for result-buffer lists, and a
// snapshot of the drawing to compare before and after.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cad/ads/host.h"
#include "cad/db/database.h"
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

// Hangs a list built by acutBuildList at the end of another.
inline void append(resbuf* list, resbuf* tail) {
  while (list->rbnext) list = list->rbnext;
  list->rbnext = tail;
}

inline int set_short(const wchar_t* var, short value) {
  resbuf rb{nullptr, RTSHORT, {}};
  rb.resval.rint = value;
  return acedSetVar(var, &rb);
}

inline std::wstring rb_string(const resbuf* rb, int type) {
  const resbuf* found = find_rb(rb, type);
  return found && found->resval.rstring ? found->resval.rstring : L"";
}

// Everything of the drawing an undo must restore: every record slot (groups, erased, alive),
// header variables and the session's variables that tests touch.
struct DbSnapshot {
  std::vector<Record> records;
  std::vector<bool> erased;
  std::vector<bool> alive;
  std::vector<HeaderVar> header;
  size_t tables = 0, blocks = 0, entities = 0;

  explicit DbSnapshot(const Database& db) {
    for (RecordId id = 0; id < db.slot_count(); ++id) {
      alive.push_back(db.valid(id));
      if (!db.valid(id)) continue;
      records.push_back(db.record(id));
      erased.push_back(db.erased(id));
    }
    header = db.header();
    tables = db.tables().size();
    blocks = db.blocks().size();
    entities = db.entities().size();
  }
  bool operator==(const DbSnapshot& o) const {
    // Slots rolled back stay allocated but dead, so compare the live ones only.
    std::vector<bool> a = alive, b = o.alive;
    a.resize(std::max(a.size(), b.size()), false);
    b.resize(a.size(), false);
    return a == b && records == o.records && erased == o.erased && header == o.header &&
           tables == o.tables && blocks == o.blocks && entities == o.entities;
  }
};

class HostTest : public ::testing::Test {
 protected:
  HostTest() {
    host_.transcript().set_output(nullptr);
    set_current_host(&host_);
  }
  ~HostTest() override { set_current_host(nullptr); }

  Database& db() { return host_.db(); }

  // A command whose body is a test's lambda, under the group "TEST".
  void add_command(const std::string& name, std::function<void()> body) {
    CommandDef def;
    def.group = "TEST";
    def.global_name = name;
    def.local_name = name;
    def.body = std::move(body);
    ASSERT_TRUE(host_.commands().add(std::move(def)));
  }

  void use_script(std::string_view text) {
    host_.set_reply_source(std::make_unique<ScriptSource>(text, "test.scr"));
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

  Host host_;
};

}  // namespace cad::testing
