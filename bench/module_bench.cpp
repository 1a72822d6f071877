// The module's rows: the module loaded from the build folder into a fresh host, as dulk loads it,
// and its commands driven by scripts. Each row says why it is missing when the module or one of
// its commands does not work yet; a new row is one more Bench in module_benches().

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/check.h"
#include "bench/bench.h"
#include "cad/ads/host.h"
#include "cad/ads/loader.h"
#include "cad/builtins/builtins.h"
#include "cad/db/database.h"
#include "cad/dims/drawing_records.h"
#include "cad/dxf/new_drawing.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "cad/input/script_source.h"
#include "cad/input/transcript.h"

namespace bench {

namespace {

// A host with the builtin commands, a new drawing and the module, current for the C interface
// while it lives.
class ModuleHost {
 public:
  explicit ModuleHost(const std::string& module_path) {
    cad::set_current_host(&host_);
    host_.transcript().set_output(nullptr);
    cad::register_builtins(host_);
    host_.set_db(cad::new_drawing());
    if (!std::filesystem::exists(module_path))
      error_ = module_path + " is not built";
    else if (!host_.modules().load(module_path, &error_) && error_.empty())
      error_ = "cannot load " + module_path;
  }
  ~ModuleHost() {
    host_.modules().unload_all();
    cad::set_current_host(nullptr);
  }
  ModuleHost(const ModuleHost&) = delete;
  ModuleHost& operator=(const ModuleHost&) = delete;

  const std::string& error() const { return error_; }
  cad::Host& host() { return host_; }

  // Runs a script to its end; empty when every command completed, else the transcript's tail.
  std::string script(const std::string& text) {
    host_.set_reply_source(std::make_unique<cad::ScriptSource>(text, "bench.scr"));
    if (host_.command_loop() == 0) return {};
    const std::string& all = host_.transcript().text();
    return all.substr(all.size() > 300 ? all.size() - 300 : 0);
  }

 private:
  cad::Host host_;
  std::string error_;
};

std::string point(double x, double y) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4f,%.4f", x, y);
  return buf;
}

size_t count_type(cad::Database& db, std::string_view type) {
  size_t n = 0;
  for (cad::RecordId id : db.entities())
    if (!db.erased(id) && db.record(id).type == type) ++n;
  return n;
}

// AutoBem on a plan of `lines` wall lines: vertical lines 0.1 apart, crossed by one horizontal
// cut line over the first thousand of them. The baseline is the least the command must do:
// test every line of the plan against the cut line. Besides that scan the command draws a
// thousand dimensions, which the target leaves room for.
std::vector<Row> autobem_rows(const Options& options) {
  constexpr size_t kLines = 100000;
  constexpr size_t kCrossed = 1000;
  ModuleHost m(options.module_path);
  if (!m.error().empty()) return {not_measured("AutoBem, 100,000-line plan", m.error())};
  cad::Database& db = m.host().db();
  for (size_t k = 0; k < kLines; ++k) {
    const double x = static_cast<double>(k % 20000) * 0.1;
    const double y = static_cast<double>(k / 20000) * 10.0;
    db.add_entity(cad::Record{"LINE",
                              {cad::Group::text(8, "0"), cad::Group::point(10, {x, y, 0}),
                               cad::Group::point(11, {x, y + 5, 0})}});
  }
  db.clear_journal();
  const double cut_end = static_cast<double>(kCrossed) * 0.1 - 0.05;
  const std::string text =
      "AutoBem\n" + point(-0.05, 2.5) + "\n" + point(cut_end, 2.5) + "\n\n0,-1\n0\nNein\n";
  std::string failure;
  const double took = best_seconds(1, [&] { failure = m.script(text); });
  if (!failure.empty())
    return {not_measured("AutoBem, 100,000-line plan", "AutoBem failed: " + failure)};
  const size_t dims = count_type(db, "DIMENSION");

  size_t crossings = 0;
  const double scan = best_seconds(options.repeat, [&] {
    crossings = 0;
    for (cad::RecordId id : db.entities()) {
      const cad::Record& rec = db.record(id);
      if (rec.type != "LINE") continue;
      const cad::Vec3 a = rec.point(10), b = rec.point(11);
      const bool spans = (a.y - 2.5) * (b.y - 2.5) <= 0;
      if (spans && a.x >= -0.05 && a.x <= cut_end) ++crossings;
    }
  });
  return {Row("AutoBem, 100,000-line plan", took * 1000, "ms")
              .against("scan all lines for crossings", scan * 1000)
              .aim("<= 20x the scan", took <= 20 * scan)
              .with_note(std::to_string(crossings) + " crossings, " + std::to_string(dims) +
                         " dimensions made")};
}

// The chains of the generation and update rows: kChains chains of kChainPoints points each,
// unevenly spaced along y = 5k, their dimension line one unit above.
constexpr size_t kChains = 1000;
constexpr size_t kChainPoints = 10;

std::vector<double> chain_xs() {
  std::vector<double> xs;
  for (size_t i = 0; i < kChainPoints; ++i)
    xs.push_back(1.5 * static_cast<double>(i) + (i % 3 == 1 ? 0.25 : 0.0));
  return xs;
}

double chain_y(size_t k) { return static_cast<double>(k) * 5; }

// The script that makes the first `chains` chains with Dulk.
std::string chains_script(size_t chains = kChains) {
  const std::vector<double> xs = chain_xs();
  std::string make;
  for (size_t k = 0; k < chains; ++k) {
    make += "Dulk\n";
    for (double x : xs) make += point(x, chain_y(k)) + "\n";
    make += "\n" + point(0, chain_y(k) + 1) + "\n0\n";
  }
  return make;
}

// The same chains as ezdxf draws them (multi-point linear dimensions rendered into blocks) on a
// new drawing, timed by ezdxf itself in the system's python3 (where Debian's python3-ezdxf
// lives); 0 when it cannot be run.
double ezdxf_seconds(const std::string& work_dir) {
  const std::string script = work_dir + "/dulk_bench_ezdxf.py";
  std::ofstream out_script(script);
  out_script << "import time, ezdxf\n"
                "xs = [";
  for (double x : chain_xs()) out_script << x << ", ";
  out_script << "]\n"
                "doc = ezdxf.new('R2013')\n"
                "msp = doc.modelspace()\n"
                "start = time.perf_counter()\n"
             << "for k in range(" << kChains << "):\n"
             << "    y = k * 5.0\n"
                "    msp.add_multi_point_linear_dim(base=(0, y + 1), points=[(x, y) for x in xs])\n"
                "print(time.perf_counter() - start)\n";
  out_script.close();
  FILE* out = popen(("/usr/bin/python3 " + script + " 2>/dev/null").c_str(), "r");
  if (!out) return 0;
  double seconds = 0;
  if (std::fscanf(out, "%lf", &seconds) != 1) seconds = 0;
  pclose(out);
  std::remove(script.c_str());
  return seconds;
}

std::string per_dim_note(size_t dims) {
  return std::to_string(kChains) + " chains of " + std::to_string(kChainPoints) + " points, " +
         std::to_string(dims) + " dimensions made by Dulk";
}

// Runs of Dulk for each run of ezdxf. Dulk's run is about a fiftieth of ezdxf's, so a few seconds
// of a busy machine could spoil every one of a handful of Dulk runs made one after the other where
// they spoil one of ezdxf's: the runs of both sides take turns, and Dulk runs this many times in
// each turn, each side counting its best run.
constexpr int kDulkRunsPerTurn = 5;

std::vector<Row> generation_rows(const Options& options) {
  const std::string what = "chain generation (Dulk), per dim";
  const std::string make = chains_script();
  double took = 0;
  double ezdxf = 0;
  size_t dims = 0;
  bool ezdxf_ran = true;
  for (int turn = 0; turn < options.repeat; ++turn) {
    // Each run in a new host on a new drawing, as ezdxf's.
    for (int run = 0; run < kDulkRunsPerTurn; ++run) {
      ModuleHost m(options.module_path);
      if (!m.error().empty()) return {not_measured(what, m.error())};
      std::string failure;
      const double seconds = best_seconds(1, [&] { failure = m.script(make); });
      if (!failure.empty()) return {not_measured(what, "Dulk failed: " + failure)};
      dims = count_type(m.host().db(), "DIMENSION");
      took = turn == 0 && run == 0 ? seconds : std::min(took, seconds);
    }
    if (!ezdxf_ran) continue;
    const double seconds = ezdxf_seconds(options.work_dir);
    ezdxf_ran = seconds > 0;
    ezdxf = turn == 0 ? seconds : std::min(ezdxf, seconds);
  }
  if (dims == 0) return {not_measured(what, "Dulk made no dimension")};
  const double per_dim = took * 1e6 / static_cast<double>(dims);
  Row row(what, per_dim, "us");
  if (!ezdxf_ran) {
    return {row.with_note(per_dim_note(dims) +
                          "; ezdxf not measured: /usr/bin/python3 with ezdxf did not run")};
  }
  const size_t ezdxf_dims = kChains * (kChainPoints - 1);
  const double ezdxf_per_dim = ezdxf * 1e6 / static_cast<double>(ezdxf_dims);
  return {row.against("ezdxf add_multi_point_linear_dim", ezdxf_per_dim)
              .aim(">= 50x faster than ezdxf", ezdxf_per_dim >= 50 * per_dim)
              .with_note(per_dim_note(dims) + "; best of " +
                         std::to_string(kDulkRunsPerTurn * options.repeat) + " Dulk runs and " +
                         std::to_string(options.repeat) + " ezdxf runs, taking turns")};
}

// A drawing of `count` entities besides the chains: lines, polylines and texts on several
// layers, spread right of the chains over their height.
void fill_drawing(cad::Database& db, size_t count) {
  constexpr std::string_view kLayers[] = {"WALLS", "DOORS", "WINDOWS", "FURNITURE", "TEXT"};
  int color = 1;
  for (std::string_view layer : kLayers) cad::ensure_layer(db, layer, color++);
  const double height = chain_y(kChains);
  std::mt19937_64 rng(7);
  auto coordinate = [&](double span) {
    return static_cast<double>(rng() % 1000000) / 1000000.0 * span;
  };
  for (size_t k = 0; k < count; ++k) {
    const std::string layer(kLayers[k % std::size(kLayers)]);
    const double x = 20 + coordinate(2000);
    const double y = coordinate(height);
    if (k % 20 < 12) {
      db.add_entity(
          cad::Record{"LINE",
                      {cad::Group::text(8, layer), cad::Group::point(10, {x, y, 0}),
                       cad::Group::point(11, {x + coordinate(5), y + coordinate(5), 0})}});
    } else if (k % 20 < 17) {
      cad::Record poly{
          "LWPOLYLINE",
          {cad::Group::text(8, layer), cad::Group::integer(90, 4), cad::Group::integer(70, 1)}};
      for (const auto& [dx, dy] : {std::pair{0.0, 0.0}, {2.0, 0.0}, {2.0, 1.0}, {0.0, 1.0}}) {
        cad::Group vertex = cad::Group::point(10, {x + dx, y + dy, 0});
        vertex.dims = 2;
        poly.groups.push_back(vertex);
      }
      db.add_entity(std::move(poly));
    } else {
      db.add_entity(cad::Record{
          "TEXT",
          {cad::Group::text(8, layer), cad::Group::point(10, {x, y, 0}), cad::Group::real(40, 0.25),
           cad::Group::text(1, "Raum " + std::to_string(k))}});
    }
  }
  db.clear_journal();
}

// BemUpd of every chain in a large drawing, beside Dulk making the same chains there.
std::vector<Row> bemupd_rows(const Options& options) {
  constexpr size_t kOthers = 200000;
  const std::string what = "BemUpd, 1,000 chains in 200,000";
  ModuleHost m(options.module_path);
  if (!m.error().empty()) return {not_measured(what, m.error())};
  fill_drawing(m.host().db(), kOthers);
  std::string failure;
  const double made = best_seconds(1, [&] { failure = m.script(chains_script()); });
  if (!failure.empty()) return {not_measured(what, "Dulk failed: " + failure)};
  const size_t dims = count_type(m.host().db(), "DIMENSION");
  const double took = best_seconds(1, [&] { failure = m.script("BemUpd\nALL\n\n"); });
  if (!failure.empty()) return {not_measured(what, "BemUpd failed: " + failure)};
  return {Row(what, took * 1000, "ms")
              .against("Dulk making them in that drawing", made * 1000)
              .aim("<= 3x making them", took <= 3 * made)
              .with_note(std::to_string(kOthers) + " other entities; " + std::to_string(dims) +
                         " dimensions before, " +
                         std::to_string(count_type(m.host().db(), "DIMENSION")) + " after")};
}

// dulk --check of a thousand drawings, beside reading them: each drawing holds kCheckedChains
// chains among kCheckedOthers other entities, every tenth one stretched so that its chain is
// stale.
std::vector<Row> check_rows(const Options& options) {
  constexpr size_t kDrawings = 1000;
  constexpr size_t kCheckedChains = 10;
  constexpr size_t kCheckedOthers = 2000;
  const std::string what = "dulk --check, 1,000 drawings";
  std::string failure;
  std::string current, stale;
  {
    ModuleHost m(options.module_path);
    if (!m.error().empty()) return {not_measured(what, m.error())};
    fill_drawing(m.host().db(), kCheckedOthers);
    failure = m.script(chains_script(kCheckedChains));
    if (!failure.empty()) return {not_measured(what, "Dulk failed: " + failure)};
    current = cad::write_dxf(m.host().db());
    // The last dimension's second point moved along its line: its text no longer says its
    // length.
    cad::Database& db = m.host().db();
    const cad::RecordId last = db.entities().back();
    cad::Record rec = db.record(last);
    rec.set(cad::Group::point(14, rec.point(14) + cad::Vec3{0.5, 0, 0}));
    db.replace(last, std::move(rec));
    stale = cad::write_dxf(db);
  }
  const std::filesystem::path folder = std::filesystem::path(options.work_dir) / "dulk_bench_check";
  std::filesystem::create_directories(folder);
  dulk::Options check;
  check.check = true;
  check.quiet = true;
  check.module = options.module_path;
  for (size_t k = 0; k < kDrawings; ++k) {
    const std::string path = (folder / ("plan" + std::to_string(k) + ".dxf")).string();
    std::ofstream(path, std::ios::binary) << (k % 10 == 9 ? stale : current);
    check.drawings.push_back(path);
  }
  size_t read = 0;
  const double reading = best_seconds(options.repeat, [&] {
    read = 0;
    for (const std::string& path : check.drawings) read += cad::read_dxf_file(path).db ? 1 : 0;
  });
  std::ostringstream out, err;
  int status = 0;
  const double took =
      best_seconds(options.repeat, [&] { status = dulk::run_check(check, out, err); });
  std::filesystem::remove_all(folder);
  if (read != kDrawings || status != 1)
    return {not_measured(what, "the check answered " + std::to_string(status) + ": " + err.str())};
  return {Row(what, took * 1000, "ms")
              .against("reading them", reading * 1000)
              .aim("<= 2x reading them", took <= 2 * reading)
              .with_note(std::to_string(kCheckedChains) + " chains of " +
                         std::to_string(kChainPoints) + " points and " +
                         std::to_string(kCheckedOthers) +
                         " other entities in each drawing, every tenth one stale")};
}

}  // namespace

std::vector<Bench> module_benches() {
  return {{"generation", generation_rows},
          {"autobem", autobem_rows},
          {"bemupd", bemupd_rows},
          {"check", check_rows}};
}

}  // namespace bench
