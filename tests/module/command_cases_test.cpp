// The module's commands end to end, one case of command_cases.txt each (its head says how a case
// reads): the scripts run at the command line of the host with the built module loaded, and the
// drawing they leave is read back through a DXF save. Every case also holds the rules every chain
// keeps: its name is "$" and the handle of its first dimension, its dimensions carry the module's
// tag, and no undo group stays open.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>
#include <set>

#include "cad/base/utf8.h"
#include "tests/support/chain_fixture.h"

namespace {

struct Line {
  std::string key;  // what comes before the first ':' (or the whole line)
  std::string value;
  int number;
};

struct Case {
  std::string name;
  std::vector<Line> lines;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

std::string trim(const std::string& s) {
  const size_t begin = s.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return s.substr(begin, s.find_last_not_of(" \t") + 1 - begin);
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(trim(part));
  if (!text.empty() && text.back() == separator) parts.push_back("");
  return parts;
}

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string shared_dir() {
  const char* dir = std::getenv("DULK_SHARED_DIR");
  return dir != nullptr ? dir : "/work/shared";
}

// The cases of the file, each "each:" value a case of its own, its words standing for $1, $2...
std::vector<Case> load_cases() {
  std::ifstream file(DULK_SOURCE_DIR "/tests/module/command_cases.txt");
  EXPECT_TRUE(file) << "command_cases.txt not found";
  // Longest names first, so that $chain4 is not taken for $chain.
  const auto longer = [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() > b.size() : a < b;
  };
  std::map<std::string, std::string, decltype(longer)> lets(longer);
  std::vector<Case> raw;
  int number = 0;
  for (std::string text; std::getline(file, text);) {
    ++number;
    if (text.empty() || text.starts_with('#')) continue;
    if (text.starts_with(' ')) {
      raw.back().lines.back().value += text;
      continue;
    }
    const size_t colon = text.starts_with('>') ? 1 : text.find(':');
    Line line{trim(text.substr(0, colon)),
              colon == std::string::npos ? "" : trim(text.substr(colon + 1)), number};
    // A transcript line keeps its blanks but the one after ">".
    if (line.key == ">") line.value = text.substr(std::min<size_t>(2, text.size()));
    if (line.key.starts_with("let ")) {
      lets["$" + line.key.substr(4)] = line.value;
    } else if (line.key == "case") {
      raw.push_back({line.value, {}});
    } else {
      for (const auto& [name, value] : lets) line.value = replace_all(line.value, name, value);
      raw.back().lines.push_back(line);
    }
  }
  std::vector<Case> cases;
  for (const Case& c : raw) {
    const auto each =
        std::find_if(c.lines.begin(), c.lines.end(), [](const Line& l) { return l.key == "each"; });
    if (each == c.lines.end()) {
      cases.push_back(c);
      continue;
    }
    int k = 0;
    for (const std::string& value : split(each->value, '|')) {
      Case one{c.name + "_" + std::to_string(++k), {}};
      std::istringstream in(value);
      const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
      for (Line line : c.lines) {
        line.value = replace_all(line.value, "$each", value);
        for (size_t w = 0; w < words.size(); ++w)
          line.value = replace_all(line.value, "$" + std::to_string(w + 1), words[w]);
        if (line.key != "each") one.lines.push_back(line);
      }
      cases.push_back(one);
    }
  }
  return cases;
}

// "x", "y" or an angle in degrees: a world direction in the plan.
cad::Vec3 direction(const std::string& word) {
  if (word == "x") return kX;
  if (word == "y") return kY;
  const double a = std::stod(word) * std::numbers::pi / 180;
  return {std::cos(a), std::sin(a), 0};
}

Places numbers(const std::string& text) {
  Places out;
  std::istringstream in(text);
  for (double v; in >> v;) out.push_back(v);
  return out;
}

std::string rtrim(std::string s) {
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

// A resbuf of a group code and its text, typed by the code's range.
resbuf* group_node(int code, const std::string& value) {
  if (code < 10) return new_text_node(code, cad::to_wide(value).c_str());
  resbuf* rb = acutNewRb(code);
  if ((code >= 10 && code < 40) || code == 210) {
    const Places p = numbers(replace_all(value, ",", " "));
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

class CommandCaseTest : public ChainFixture, public ::testing::WithParamInterface<Case> {
 protected:
  // The chains the last script made.
  std::vector<std::vector<SavedDim>> made() const {
    std::vector<std::vector<SavedDim>> out;
    for (const auto& [name, chain] : chains()) {
      if (!name.empty() && before_.count(name) == 0) out.push_back(chain);
    }
    return out;
  }

  bool run_in_transcript(const std::vector<std::string>& run) {
    std::vector<std::string> all = lines();
    for (std::string& line : all) line = rtrim(line);
    for (size_t start = 0; start + run.size() <= all.size(); ++start) {
      if (std::equal(run.begin(), run.end(), all.begin() + static_cast<ptrdiff_t>(start)))
        return true;
    }
    return false;
  }

  void make_entity(const std::string& text) {
    std::istringstream in(text);
    std::string type;
    in >> type;
    RbList record(new_text_node(RTDXF0, cad::to_wide(type).c_str()));
    resbuf* tail = record.get();
    for (std::string group; in >> group;) {
      const size_t eq = group.find('=');
      tail = tail->rbnext = group_node(std::stoi(group.substr(0, eq)), group.substr(eq + 1));
    }
    run([&] { EXPECT_EQ(acdbEntMake(record.get()), RTNORM); });
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
        std::set<double> offsets;
        for (const SavedDim& dim : chain) {
          offsets.insert(round6(cad::dot(dim.origin1, direction(dir))));
          offsets.insert(round6(cad::dot(dim.origin2, direction(dir))));
        }
        found.assign(offsets.begin(), offsets.end());
      }
      ASSERT_EQ(found.size(), expected.size()) << ::testing::PrintToString(found);
      for (size_t i = 0; i < found.size(); ++i) EXPECT_NEAR(found[i], expected[i], 1e-6) << i;
    }
  }

  void step(const Line& line, std::vector<std::string>& says) {
    SCOPED_TRACE("command_cases.txt:" + std::to_string(line.number));
    if (line.key == ">") {
      says.push_back(rtrim(line.value));
      return;
    }
    if (!says.empty()) {
      EXPECT_TRUE(run_in_transcript(says)) << transcript();
      says.clear();
    }
    const std::string& key = line.key;
    const std::string& value = line.value;
    if (key == "run") {
      before_.clear();
      for (const auto& [name, chain] : chains()) before_.insert(name);
      drawing_before_ = saved_bytes();
      std::string text;
      for (const std::string& reply : split(value, '|')) text += reply + "\n";
      EXPECT_EQ(script(text), 0) << transcript();
    } else if (key == "drawing") {
      cad::ReadResult read = cad::read_dxf_file(shared_dir() + "/dxf/" + value);
      ASSERT_TRUE(read.db) << read.error;
      host().set_db(std::move(read.db));
    } else if (key == "entity") {
      make_entity(value);
    } else if (key.starts_with("along ") || key.starts_with("line ") ||
               key.starts_with("origins ")) {
      const size_t blank = key.find(' ');
      check_places(key.substr(0, blank), key.substr(blank + 1), numbers(value));
    } else if (key == "rotation") {
      for (const std::vector<SavedDim>& chain : made())
        for (const SavedDim& dim : chain)
          EXPECT_NEAR(std::remainder(dim.rotation - std::stod(value) * std::numbers::pi / 180,
                                     2 * std::numbers::pi),
                      0, 1e-9);
    } else if (key == "texts") {
      std::vector<std::string> texts;
      for (const std::vector<SavedDim>& chain : made())
        for (const SavedDim& dim : chain) texts.push_back(dim.text);
      EXPECT_EQ(texts, split(value, '|'));
    } else if (key == "never" || key == "once") {
      const std::vector<std::string> all = lines();
      const auto n = std::count_if(all.begin(), all.end(),
                                   [&](const std::string& l) { return trim(l) == value; });
      EXPECT_EQ(n, key == "never" ? 0 : 1) << transcript();
    } else if (key == "chains" || key == "dims") {
      size_t n = 0;
      for (const auto& [name, chain] : chains())
        n += key == "dims" ? chain.size() : (name.empty() ? 0 : 1);
      EXPECT_EQ(n, std::stoul(value)) << transcript();
    } else if (key.starts_with("count ")) {
      EXPECT_EQ(entities(cad::to_wide(key.substr(6)).c_str()).size(), std::stoul(value));
    } else if (key.starts_with("pick ")) {
      EXPECT_TRUE(pick_finds(key.substr(5), value));
    } else if (key == "screen clean") {
      EXPECT_TRUE(host().temp_vectors().empty());
    } else if (key == "same") {
      EXPECT_TRUE(saved_bytes() == drawing_before_) << transcript();
    } else if (key == "undo") {
      ASSERT_EQ(script("U\n"), 0) << transcript();
      EXPECT_EQ(diff(drawing_before_, saved_bytes()), "");
    } else {
      ADD_FAILURE() << "unknown line \"" << key << "\"";
    }
  }

  std::set<std::string> before_;
  std::string drawing_before_;
};

TEST_P(CommandCaseTest, Runs) {
  std::vector<std::string> says;
  for (const Line& line : GetParam().lines) step(line, says);
  if (!says.empty()) {
    EXPECT_TRUE(run_in_transcript(says)) << transcript();
  }

  for (const auto& [name, chain] : chains()) {
    if (name.empty()) continue;
    EXPECT_EQ(name, "$" + chain.front().handle);
    for (const SavedDim& dim : chain) EXPECT_EQ(dim.tag, "QRM") << name;
  }
  EXPECT_FALSE(host().undo().group_open() || (short_var(L"UNDOCTL") & 8) != 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandCaseTest, ::testing::ValuesIn(load_cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return info.param.name;
                         });

}  // namespace
