// The module's commands end to end, one case of command_cases.txt each (its head says how a case
// reads): the scripts run at the command line of the host with the built module loaded, and the
// drawing they leave is read back through a DXF save. Every case also holds the rules every chain
// keeps: its name is "$" and the handle of its first dimension, its dimensions carry the module's
// tag, and no undo group stays open.
#include <numbers>
#include <set>

#include "cad/base/utf8.h"
#include "tests/support/case_file.h"
#include "tests/support/chain_fixture.h"
#include "tests/support/files.h"

namespace {

using cad::testing::Scenario;

// "x", "y" or an angle in degrees: a world direction in the plan.
cad::Vec3 direction(const std::string& word) {
  if (word == "x") return kX;
  if (word == "y") return kY;
  const double a = std::stod(word) * std::numbers::pi / 180;
  return {std::cos(a), std::sin(a), 0};
}

// Numbers apart by blanks or commas.
Places numbers(const std::string& text) {
  Places out;
  std::istringstream in(cad::testing::replace_all(text, ",", " "));
  for (double v; in >> v;) out.push_back(v);
  return out;
}

// A resbuf of a group code and its text, typed by the code's range.
resbuf* group_node(int code, const std::string& value) {
  if (code < 10) return new_text_node(code, cad::to_wide(value).c_str());
  resbuf* rb = acutNewRb(code);
  if ((code >= 10 && code < 40) || code == 210) {
    const Places p = numbers(value);
    for (size_t i = 0; i < 3; ++i) rb->resval.rpoint[i] = i < p.size() ? p[i] : 0.0;
  } else if (code < 60) {
    rb->resval.rreal = std::stod(value);
  } else if (code < 80) {
    rb->resval.rint = static_cast<short>(std::stoi(value));
  } else {
    rb->resval.rlong = std::stoi(value);
  }
  return rb;
}

class CommandCaseTest : public ChainFixture, public ::testing::WithParamInterface<Scenario> {
 protected:
  // The chains the last script made.
  std::vector<std::vector<SavedDim>> made() const {
    std::vector<std::vector<SavedDim>> out;
    for (const auto& [name, chain] : chains())
      if (!name.empty() && before_.count(name) == 0) out.push_back(chain);
    return out;
  }

  // "entity | TYPE | code=value ... | TYPE | code=value ...": the entities one after another.
  void make_entity(const std::vector<std::string>& f) {
    for (size_t k = 1; k < f.size();) {
      RbList record(new_text_node(RTDXF0, cad::to_wide(f[k++]).c_str()));
      resbuf* tail = record.get();
      for (size_t eq; k < f.size() && (eq = f[k].find('=')) != std::string::npos; ++k)
        tail = tail->rbnext = group_node(std::stoi(f[k].substr(0, eq)), f[k].substr(eq + 1));
      run([&] { EXPECT_EQ(acdbEntMake(record.get()), RTNORM); });
    }
  }

  // Whether a pick at the point (current UCS) finds an entity of the type.
  bool pick_finds(const std::string& point, const std::string& type) {
    bool found = false;
    replies(point + "\n");
    run([&] {
      ads_name picked;
      ads_point where;
      if (acedEntSel(L"", picked, where) != RTNORM) return;
      RbList data(acdbEntGet(picked));
      const resbuf* kind = rb_assoc(data.get(), 0);
      found = kind != nullptr && cad::to_utf8(kind->resval.rstring) == type;
    });
    return found;
  }

  void check_places(const std::string& what, const std::string& dir, const Places& expected) {
    const std::vector<std::vector<SavedDim>> chains_made = made();
    ASSERT_FALSE(chains_made.empty()) << "no chain made\n" << transcript();
    for (const std::vector<SavedDim>& chain : chains_made) {
      Places found;
      if (what == "along") found = along(chain, direction(dir));
      if (what == "line") found = line_across(chain, direction(dir));
      if (what == "origins") {
        for (const SavedDim& dim : chain) {
          found.push_back(round6(cad::dot(dim.origin1, direction(dir))));
          found.push_back(round6(cad::dot(dim.origin2, direction(dir))));
        }
        std::sort(found.begin(), found.end());
      }
      ASSERT_EQ(found.size(), expected.size()) << ::testing::PrintToString(found);
      for (size_t i = 0; i < found.size(); ++i) EXPECT_NEAR(found[i], expected[i], 1e-6) << i;
    }
  }

  void step(const std::vector<std::string>& f, std::vector<std::string>& says) {
    const std::string& kind = f[0];
    if (kind == ">") {
      says.insert(says.end(), f.begin() + 1, f.end());
      return;
    }
    if (!says.empty()) {
      EXPECT_TRUE(has_run(says)) << transcript();
      says.clear();
    }
    if (kind == "run") {
      before_.clear();
      for (const auto& [name, chain] : chains()) before_.insert(name);
      drawing_before_ = saved_bytes();
      std::string text;
      for (size_t k = 1; k < f.size(); ++k) text += f[k] + "\n";
      EXPECT_EQ(script(text), 0) << transcript();
    } else if (kind == "drawing") {
      cad::ReadResult read =
          cad::read_dxf_file((cad::testing::shared_dir() / "dxf" / f.at(1)).string());
      ASSERT_TRUE(read.db) << read.error;
      host().set_db(std::move(read.db));
    } else if (kind == "entity") {
      make_entity(f);
    } else if (kind == "along" || kind == "line" || kind == "origins") {
      check_places(kind, f.at(1), numbers(f.at(2)));
    } else if (kind == "rotation") {
      for (const std::vector<SavedDim>& chain : made())
        for (const SavedDim& dim : chain)
          EXPECT_NEAR(std::remainder(dim.rotation - std::stod(f.at(1)) * std::numbers::pi / 180,
                                     2 * std::numbers::pi),
                      0, 1e-9);
    } else if (kind == "texts") {
      std::vector<std::string> texts;
      for (const std::vector<SavedDim>& chain : made())
        for (const SavedDim& dim : chain) texts.push_back(dim.text);
      EXPECT_EQ(texts, std::vector<std::string>(f.begin() + 1, f.end()));
    } else if (kind == "never" || kind == "once") {
      EXPECT_EQ(count_lines(f.at(1)), kind == "never" ? 0u : 1u) << transcript();
    } else if (kind == "chains" || kind == "dims") {
      size_t n = 0;
      for (const auto& [name, chain] : chains())
        n += kind == "dims" ? chain.size() : (name.empty() ? 0 : 1);
      EXPECT_EQ(n, std::stoul(f.at(1))) << transcript();
    } else if (kind == "count") {
      EXPECT_EQ(entities(cad::to_wide(f.at(1)).c_str()).size(), std::stoul(f.at(2)));
    } else if (kind == "pick") {
      EXPECT_TRUE(pick_finds(f.at(1), f.at(2)));
    } else if (kind == "screen clean") {
      EXPECT_TRUE(host().temp_vectors().empty());
    } else if (kind == "same") {
      EXPECT_TRUE(saved_bytes() == drawing_before_) << transcript();
    } else if (kind == "copies") {
      copies_ = true;
    } else if (kind == "undo") {
      ASSERT_EQ(script("U\n"), 0) << transcript();
      const cad::ReadResult before = cad::read_dxf(drawing_before_, "before");
      EXPECT_EQ(cad::diff_records(*before.db, *cad::read_dxf(saved_bytes(), "after").db), "");
    } else {
      ADD_FAILURE() << "unknown step \"" << kind << "\"";
    }
  }

  std::set<std::string> before_;
  std::string drawing_before_;
  bool copies_ = false;
};

TEST_P(CommandCaseTest, Runs) {
  std::vector<std::string> says;
  for (const cad::testing::CaseLine& line : GetParam().steps) {
    SCOPED_TRACE(line.where);
    step(line.fields, says);
  }
  if (!says.empty()) {
    EXPECT_TRUE(has_run(says)) << transcript();
  }

  for (const auto& [name, chain] : chains()) {
    if (name.empty()) continue;
    if (!copies_) {
      EXPECT_EQ(name, "$" + chain.front().handle);
    }
    EXPECT_TRUE(RbList(acdbTblSearch(L"APPID", cad::to_wide(name).c_str(), 0))) << name;
    for (const SavedDim& dim : chain) EXPECT_EQ(dim.tag, "QRM") << name;
  }
  EXPECT_FALSE(host().undo().group_open() || (short_var(L"UNDOCTL") & 8) != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandCaseTest,
    ::testing::ValuesIn(cad::testing::read_scenarios("module/command_cases.txt")),
    [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

}  // namespace
