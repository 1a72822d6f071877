// dulk --check: one host and one loaded module for every drawing; in each, BemUpd on every chain
// in turn, and the chain BemUpd made compared with the dimensions it erased, member by member.
#include "app/check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <ostream>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "app/session.h"
#include "cad/ads/bridge.h"
#include "cad/ads/host.h"
#include "cad/ads/loader.h"
#include "cad/builtins/builtins.h"
#include "cad/dxf/audit.h"
#include "cad/dxf/reader.h"
#include "cad/geom/coords.h"
#include "cad/input/reply.h"
#include "cad/input/transcript.h"
#include "cad/render/text_codes.h"
#include "cad/select/filter.h"
#include "cad/select/selection.h"

namespace dulk {

namespace {

// A dimension of a chain as the comparison needs it, in world coordinates.
struct Member {
  cad::Vec3 first, second;  // the extension-line origins (13, 14)
  cad::Vec3 on_line;        // a point of the dimension line (10)
  cad::Vec3 direction;      // of the dimension line, a unit vector
  std::string text;         // as written (1)
  double along = 0;         // where it starts along the chain
};

Member member_of(const cad::Record& rec) {
  const double angle = rec.real(50);
  const cad::Vec3 direction =
      cad::ocs_to_world_disp({std::cos(angle), std::sin(angle), 0}, rec.point(210, {0, 0, 1}));
  return {rec.point(13), rec.point(14), rec.point(10), cad::normalized(direction),
          std::string(rec.text(1))};
}

// Points BemUpd gives back unchanged come back through coordinate systems, a few units in the
// last place apart.
bool same_point(cad::Vec3 a, cad::Vec3 b) {
  const double size = std::max({1.0, cad::length(a), cad::length(b)});
  return cad::distance(a, b) <= 1e-9 * size;
}

bool same_origins(const Member& a, const Member& b) {
  return (same_point(a.first, b.first) && same_point(a.second, b.second)) ||
         (same_point(a.first, b.second) && same_point(a.second, b.first));
}

// How far apart p and q lie along the chain.
double along_distance(cad::Vec3 p, cad::Vec3 q, cad::Vec3 direction) {
  return std::abs(cad::dot(p - q, direction));
}

// Whether a and b reach from the same place to the same place along the chain.
bool same_span(const Member& a, const Member& b, cad::Vec3 direction) {
  auto same = [&](cad::Vec3 p, cad::Vec3 q) {
    return along_distance(p, q, direction) <=
           1e-9 * std::max({1.0, cad::length(p), cad::length(q)});
  };
  return (same(a.first, b.first) && same(a.second, b.second)) ||
         (same(a.first, b.second) && same(a.second, b.first));
}

// Whether b's dimension line is a's: parallel, and b's point on it.
bool same_line(const Member& a, const Member& b) {
  const double size = std::max({1.0, cad::length(a.on_line), cad::length(b.on_line)});
  return cad::length(cad::cross(a.direction, b.direction)) <= 1e-9 &&
         cad::length(cad::cross(b.on_line - a.on_line, a.direction)) <= 1e-9 * size;
}

std::string number(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", value);
  std::string text = buf;
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text == "-0" ? "0" : text;
}

std::string point_text(cad::Vec3 p) {
  std::string text = number(p.x) + "," + number(p.y);
  return p.z == 0 ? text : text + "," + number(p.z);
}

std::string span_text(const Member& m) { return point_text(m.first) + "–" + point_text(m.second); }

// A dimension text as it reads: formatting codes resolved, a raised digit as a superscript one.
std::string shown_text(const std::string& text) {
  static const char* const kRaised[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
  std::string shown;
  for (const cad::TextLine& line : cad::parse_mtext(text, 1.0)) {
    if (!shown.empty()) shown += ' ';
    for (const cad::TextRun& run : line) {
      const bool raised = run.alignment == cad::RunAlignment::kTop && run.height < 1.0;
      for (char c : run.text) {
        if (raised && c >= '0' && c <= '9')
          shown += kRaised[c - '0'];
        else
          shown += c;
      }
    }
  }
  return shown;
}

// What BemUpd changed of a chain (before: the members it erased, after: those it made), along
// the chain; empty when it made the chain again as it was.
std::vector<std::string> chain_changes(std::vector<Member> before, std::vector<Member> after) {
  const cad::Vec3 direction = after.empty() ? before.front().direction : after.front().direction;
  for (std::vector<Member>* members : {&before, &after})
    for (Member& m : *members)
      m.along = std::min(cad::dot(m.first, direction), cad::dot(m.second, direction));
  std::vector<std::pair<double, std::string>> changes;
  // A member made again is the one with the same origins, else one that spans the same stretch
  // of the chain with an origin moved across it (an end member's outer extension line starts
  // elsewhere than an inner one's).
  std::vector<bool> matched(after.size(), false);
  std::vector<const Member*> pairs(before.size(), nullptr);
  for (bool across : {false, true}) {
    for (size_t j = 0; j < before.size(); ++j) {
      for (size_t k = 0; k < after.size() && !pairs[j]; ++k) {
        if (matched[k] || !(across ? same_span(before[j], after[k], direction)
                                   : same_origins(before[j], after[k])))
          continue;
        matched[k] = true;
        pairs[j] = &after[k];
      }
    }
  }
  for (size_t j = 0; j < before.size(); ++j) {
    const Member& b = before[j];
    if (!pairs[j]) {
      changes.emplace_back(b.along,
                           "member " + span_text(b) + " lost (" + shown_text(b.text) + ")");
      continue;
    }
    const Member& a = *pairs[j];
    for (const cad::Vec3 origin : {b.first, b.second}) {
      const cad::Vec3 made =
          along_distance(origin, a.first, direction) <= along_distance(origin, a.second, direction)
              ? a.first
              : a.second;
      if (!same_point(origin, made))
        changes.emplace_back(b.along, "origin " + point_text(origin) + " → " + point_text(made));
    }
    if (b.text != a.text)
      changes.emplace_back(b.along, shown_text(b.text) + " → " + shown_text(a.text));
    if (!same_line(a, b)) changes.emplace_back(b.along, "member " + span_text(b) + " off its line");
  }
  for (size_t k = 0; k < after.size(); ++k) {
    if (matched[k]) continue;
    changes.emplace_back(after[k].along, "member " + span_text(after[k]) + " gained (" +
                                             shown_text(after[k].text) + ")");
  }
  std::stable_sort(changes.begin(), changes.end(),
                   [](const auto& x, const auto& y) { return x.first < y.first; });
  std::vector<std::string> out;
  for (auto& change : changes) out.push_back(std::move(change.second));
  return out;
}

}  // namespace

ChainCheck check_chains(cad::Host& host) {
  cad::Database& db = host.db();
  // The dimensions the module takes for chain dimensions: its own selection filter.
  const cad::CompiledFilter filter = cad::compile_filter(
      {cad::Group::text(0, "DIMENSION"), cad::Group::integer(-3, 0), cad::Group::text(1001, "$*")});
  const std::vector<cad::RecordId> dimensions = cad::select_all(db, filter);
  std::map<std::string, std::vector<cad::RecordId>> by_name;
  for (cad::RecordId id : dimensions) by_name[cad::chain_name(db.record(id))].push_back(id);

  ChainCheck check;
  std::unordered_set<cad::RecordId> done;
  for (cad::RecordId start : dimensions) {
    if (done.contains(start)) continue;
    // BemUpd on that dimension alone: the module finds its chain's members, erases them and
    // makes the chain anew after the drawing's last entity.
    const size_t made_from = db.entities().size();
    ads_name name;
    cad::make_name(db, start, name);
    host.run_scripted(
        {cad::text_reply("_DimUpd"), cad::entity_reply(name[0], name[1]), cad::text_reply("")});
    ++check.chains;
    std::vector<cad::RecordId> erased;
    for (cad::RecordId id : by_name[cad::chain_name(db.record(start))])
      if (!done.contains(id) && db.erased(id)) erased.push_back(id);
    // A chain the module could not read stays as it was, and so would it after BemUpd.
    done.insert(start);
    if (erased.empty()) continue;
    done.insert(erased.begin(), erased.end());
    std::vector<Member> before, after;
    for (cad::RecordId id : erased) before.push_back(member_of(db.record(id)));
    for (size_t k = made_from; k < db.entities().size(); ++k) {
      const cad::RecordId id = db.entities()[k];
      if (!db.erased(id) && db.record(id).type == "DIMENSION")
        after.push_back(member_of(db.record(id)));
    }
    std::vector<std::string> changes = chain_changes(std::move(before), std::move(after));
    if (changes.empty()) continue;
    // Chain data goes in drawing order; the oldest member is the first one drawn.
    const cad::Record& oldest = db.record(erased.front());
    check.stale.push_back({cad::chain_name(oldest), std::string(oldest.text(8, "0")),
                           oldest.point(13), std::move(changes)});
  }
  return check;
}

int run_check(const Options& options, std::ostream& out, std::ostream& err) {
  // Destroyed last of all, so that the module unloads while it is still the current host.
  cad::Host host;
  cad::set_current_host(&host);
  host.transcript().set_output(nullptr);
  cad::register_builtins(host);
  std::string error;
  if (!host.modules().load(module_path(options), &error)) {
    err << "dulk: " << error << "\n";
    return 2;
  }
  size_t drawings = 0, chains = 0, stale = 0, unread = 0;
  for (const std::string& path : options.drawings) {
    if (std::string why = unreadable(path); !why.empty()) {
      err << "dulk: cannot read " << path << ": " << why << "\n";
      ++unread;
      continue;
    }
    cad::ReadResult read = cad::read_dxf_file(path);
    if (!read.db) {
      err << "dulk: " << path << ": " << read.error << "\n";
      ++unread;
      continue;
    }
    host.set_db(std::move(read.db));
    const ChainCheck check = check_chains(host);
    // What the module said while it worked is no part of the answer.
    host.transcript().clear();
    ++drawings;
    chains += check.chains;
    stale += check.stale.size();
    if (options.quiet) continue;
    for (const StaleChain& chain : check.stale) {
      out << path << ": chain " << chain.name << ", layer " << chain.layer << ", from "
          << point_text(chain.first) << ":";
      for (size_t k = 0; k < chain.changes.size(); ++k)
        out << (k == 0 ? " " : "; ") << chain.changes[k];
      out << "\n";
    }
  }
  if (!options.quiet) {
    out << drawings << (drawings == 1 ? " drawing, " : " drawings, ") << chains
        << (chains == 1 ? " chain, " : " chains, ") << stale << " stale";
    if (unread > 0) out << ", " << unread << " unreadable";
    out << "\n";
  }
  if (unread > 0) return 2;
  return stale > 0 ? 1 : 0;
}

}  // namespace dulk
