// The host's own commands as a module scripts them or a person types them, one case of
// host_cases.txt each (its head says how a case reads): the drawing, the transcript, the variables
// and the undo steps each script leaves.
#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <regex>
#include <sstream>

#include "cad/builtins/command_support.h"
#include "tests/geom/geom_checks.h"
#include "tests/support/case_file.h"
#include "tests/support/host_fixture.h"
#include "tests/support/snapshot.h"

namespace cad::testing {
namespace {

// "code=value", the value read as the code's type; reals given as "90deg" are taken as radians.
Group group(const std::string& item) {
  const size_t equals = item.find('=');
  const int code = std::stoi(item.substr(0, equals));
  const std::string value = item.substr(equals + 1);
  switch (group_type(code)) {
    case GroupType::kPoint:
      return Group::point(code, case_point(value));
    case GroupType::kReal:
      return Group::real(code,
                         std::stod(value) * (value.ends_with("deg") ? std::numbers::pi / 180 : 1));
    case GroupType::kInt16:
    case GroupType::kInt32:
      return Group::integer(code, std::stoll(value));
    default:
      return Group::text(code, value);
  }
}

// Whether the record holds the group of "code=value", or "code#k=value" for the k-th group of
// that code counted from 0.
::testing::AssertionResult holds(const Record& record, const std::string& item) {
  const Group want = group(item);
  const size_t hash = item.find('#');
  const bool counted = hash < item.find('=');
  size_t at = record.index_of(want.code);
  for (int k = counted ? std::stoi(item.substr(hash + 1)) : 0; k > 0; --k)
    at = record.index_of(want.code, std::min(at + 1, record.groups.size()));
  // A group the record lacks reads as zero or empty text, as Record's readers give it.
  static const Group none;
  if (at == record.groups.size() && counted)
    return ::testing::AssertionFailure() << "no group " << item;
  const Group& got = at < record.groups.size() ? record.groups[at] : none;
  switch (group_type(want.code)) {
    case GroupType::kPoint:
      return near(got.pt(), want.pt()) << " in " << item;
    case GroupType::kReal:
      if (std::abs(got.x() - want.x()) <= 1e-9) return ::testing::AssertionSuccess();
      return ::testing::AssertionFailure() << got.x() << " for " << item;
    case GroupType::kInt16:
    case GroupType::kInt32:
      if (got.i() == want.i()) return ::testing::AssertionSuccess();
      return ::testing::AssertionFailure() << got.i() << " for " << item;
    default:
      if (got.s() == want.s()) return ::testing::AssertionSuccess();
      return ::testing::AssertionFailure() << "\"" << got.s() << "\" for " << item;
  }
}

class HostCaseTest : public HostFixture, public ::testing::WithParamInterface<Scenario> {
 protected:
  // "last", "TYPE k" (the k-th live entity of the type, from 0), "TYPE" (the first) or
  // "TABLE:NAME" (a table entry).
  RecordId who(const std::string& text) {
    if (text == "last") return last_entity();
    if (const size_t colon = text.find(':'); colon != std::string::npos)
      return db().table_entry(text.substr(0, colon), text.substr(colon + 1));
    std::istringstream in(text);
    std::string type;
    size_t k = 0;
    in >> type >> k;
    const std::vector<RecordId> list = live_entities(type);
    return k < list.size() ? list[k] : kNoRecord;
  }

  Reply token(const std::string& field) {
    static const std::regex point(R"(-?[\d.]+(,-?[\d.]+){1,2})");
    if (field.starts_with("angle ")) return angle_reply(std::stod(field.substr(6)));
    if (field.starts_with("entity ")) return entity(who(field.substr(7)));
    if (std::regex_match(field, point)) return point_reply(case_point(field));
    return text_reply(field);
  }

  std::vector<RecordId> block_of(const std::string& text) {
    const size_t block = db().block_index(db().record(who(text)).text(2));
    return block == Database::npos ? std::vector<RecordId>{} : db().blocks()[block].entities;
  }

  // Every prompt the command showed (a transcript line "prompt: reply", messages left out)
  // matches a prompt its HELP text lists, where "<...>" there stands for whatever the prompt
  // shows. The prompts of the object selection's methods belong to "Select objects:".
  void prompts_listed_in_help(const std::string& name) {
    const CommandDef* def = host_.commands().find(name);
    ASSERT_NE(def, nullptr);
    std::vector<std::regex> listed;
    if (def->help.find("\nSelect objects:") != std::string::npos)
      listed.emplace_back(
          "Specify (first|opposite) corner:|Specify (first|next) fence point:|"
          "First polygon point:|Specify endpoint of line or \\[Undo\\]:|Remove objects:");
    std::istringstream help(def->help);
    std::string line;
    std::getline(help, line);
    while (std::getline(help, line)) {
      const std::string escaped =
          std::regex_replace(line, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
      listed.emplace_back(std::regex_replace(escaped, std::regex("<[^>]*>"), ".*"));
    }
    std::istringstream shown(transcript());
    while (std::getline(shown, line)) {
      const size_t end = line.rfind(": ");
      if (end == std::string::npos || line.starts_with("Command:") || line.starts_with("Current"))
        continue;
      const std::string prompt = line.substr(0, end + 1);
      EXPECT_TRUE(std::any_of(listed.begin(), listed.end(),
                              [&](const std::regex& r) { return std::regex_match(prompt, r); }))
          << name << " asked \"" << prompt << "\", which its HELP does not list:\n"
          << def->help;
    }
  }

  void step(const std::vector<std::string>& f) {
    const std::string& kind = f[0];
    std::vector<Reply> tokens;
    for (size_t k = 1; k < f.size(); ++k) tokens.push_back(token(f[k]));
    if (kind == "clear") host_.transcript().clear();
    if (kind == "run" || kind == "clear") {
      ASSERT_EQ(run(tokens), kRtNorm) << transcript();
    } else if (kind == "stops") {
      EXPECT_NE(run(tokens), kRtNorm);
    } else if (kind == "type") {
      std::string script;
      for (size_t k = 1; k < f.size(); ++k) script += f[k] + "\n";
      EXPECT_EQ(type(script), 0) << transcript();
    } else if (kind == "undoable") {
      const Snapshot before(host_);
      host_.transcript().clear();
      ASSERT_EQ(run(tokens), kRtNorm) << transcript();
      const Snapshot after(host_);
      ASSERT_NE(before.diff(after), "") << "the command changed nothing";
      prompts_listed_in_help(f[1].substr(1));
      ASSERT_EQ(run({text_reply("_u")}), kRtNorm);
      EXPECT_EQ(before.diff(Snapshot(host_)), "");
      ASSERT_EQ(run({text_reply("_redo")}), kRtNorm);
      EXPECT_EQ(after.diff(Snapshot(host_)), "");
      ASSERT_EQ(run({text_reply("_u")}), kRtNorm);
      EXPECT_EQ(before.diff(Snapshot(host_)), "");
    } else if (kind == "entity" || kind == "give" || kind == "give xdata") {
      const bool made = kind == "entity";
      const RecordId id = made ? kNoRecord : who(f.at(1));
      Record record = made ? model_entity(db(), f.at(1)) : db().record(id);
      std::vector<Group> groups;
      for (size_t k = kind == "give xdata" ? 3 : 2; k < f.size(); ++k)
        groups.push_back(group(f[k]));
      if (made) {
        record.groups.insert(record.groups.end(), groups.begin(), groups.end());
        db().add_entity(record);
        return;
      }
      if (kind == "give xdata") record.set_xdata(f.at(2), groups);
      if (kind == "give")
        for (const Group& g : groups) record.set(g);
      db().replace(id, record);
    } else if (kind == "shows" || kind == "hides") {
      for (size_t k = 1; k < f.size(); ++k)
        EXPECT_EQ(transcript().find(f[k]) != std::string::npos, kind == "shows") << f[k] << "\nin\n"
                                                                                 << transcript();
    } else if (kind == "count") {
      for (size_t k = 1; k + 1 < f.size(); k += 2)
        EXPECT_EQ(live_entities(f[k]).size(), std::stoul(f[k + 1])) << f[k];
    } else if (kind == "block") {
      const std::vector<RecordId> ids = block_of(f.at(1));
      EXPECT_EQ(std::count_if(ids.begin(), ids.end(),
                              [&](RecordId id) { return db().record(id).type == f.at(2); }),
                std::stol(f.at(3)))
          << f[2];
    } else if (kind == "in block") {
      const std::vector<RecordId> ids = block_of(f.at(1));
      EXPECT_TRUE(std::any_of(ids.begin(), ids.end(), [&](RecordId id) {
        const Record& r = db().record(id);
        return r.type == f.at(2) && std::all_of(f.begin() + 3, f.end(), [&](const std::string& g) {
                 return static_cast<bool>(holds(r, g));
               });
      }));
    } else if (kind == "no block") {
      EXPECT_EQ(db().block_index(f.at(1)), Database::npos);
    } else if (kind == "xdata") {
      const Record items{"", db().record(who(f.at(1))).xdata(f.at(2))};
      EXPECT_EQ(items.groups.size(), f.size() - 3);
      for (size_t k = 3; k < f.size(); ++k) EXPECT_TRUE(holds(items, f[k]));
    } else if (kind == "var") {
      for (size_t k = 1; k + 1 < f.size(); k += 2) {
        const VarValue v = *host_.get_var(f[k]);
        if (v.type == VarType::kString)
          EXPECT_EQ(v.s, f[k + 1]) << f[k];
        else if (v.type == VarType::kReal)
          EXPECT_DOUBLE_EQ(v.r, std::stod(f[k + 1])) << f[k];
        else
          EXPECT_EQ(v.i, std::stoll(f[k + 1])) << f[k];
      }
    } else if (kind == "snap") {
      snaps_.insert_or_assign(f.at(1), Snapshot(host_));
    } else if (kind == "same") {
      EXPECT_EQ(snaps_.at(f.at(1)).diff(Snapshot(host_)), "") << "as at " << f[1];
    } else if (kind == "keep") {
      kept_.insert_or_assign(f.at(1), db().record(who(f.at(2))));
    } else if (kind == "kept") {
      EXPECT_EQ(db().record(who(f.at(2))), kept_.at(f.at(1))) << "not as kept as " << f[1];
    } else if (kind == "ucs") {
      EXPECT_TRUE(near(host_.ucs().origin, case_point(f.at(1))));
      EXPECT_TRUE(near(host_.ucs().x_axis, case_point(f.at(2))));
      EXPECT_TRUE(near(host_.ucs().y_axis, case_point(f.at(3))));
    } else {
      const RecordId id = who(kind);
      ASSERT_NE(id, kNoRecord) << "no " << kind;
      for (size_t k = 1; k < f.size(); ++k) EXPECT_TRUE(holds(db().record(id), f[k])) << kind;
    }
  }

  std::map<std::string, Snapshot> snaps_;
  std::map<std::string, Record> kept_;
};

TEST_P(HostCaseTest, Runs) {
  for (const CaseLine& line : GetParam().steps) {
    SCOPED_TRACE(line.where);
    ASSERT_NO_FATAL_FAILURE(step(line.fields));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostCaseTest,
                         ::testing::ValuesIn(read_scenarios("builtins/host_cases.txt")),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace cad::testing
