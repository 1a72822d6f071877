// The module's rows: the module loaded from the build folder into a fresh host, as dulk loads it,
// and its commands driven by scripts. Each row says why it is missing when the module or one of
// its commands does not work yet; a new row is one more Bench in module_benches().

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "cad/ads/host.h"
#include "cad/ads/loader.h"
#include "cad/builtins/builtins.h"
#include "cad/db/database.h"
#include "cad/dxf/new_drawing.h"
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
// test every line of the plan against the cut line.
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
              .with_note(std::to_string(crossings) + " crossings, " + std::to_string(dims) +
                         " dimensions made")};
}

// BemUpd of many chains, beside the time Dulk took to make them.
std::vector<Row> bemupd_rows(const Options& options) {
  constexpr size_t kChains = 1000;
  ModuleHost m(options.module_path);
  if (!m.error().empty()) return {not_measured("BemUpd, 1,000 chains", m.error())};
  std::string make;
  for (size_t k = 0; k < kChains; ++k) {
    const double y = static_cast<double>(k) * 5;
    make += "Dulk\n" + point(0, y) + "\n" + point(3, y) + "\n" + point(7.5, y) + "\n" +
            point(12, y) + "\n\n" + point(0, y + 1) + "\n0\n";
  }
  std::string failure;
  const double made = best_seconds(1, [&] { failure = m.script(make); });
  if (!failure.empty()) return {not_measured("BemUpd, 1,000 chains", "Dulk failed: " + failure)};
  const size_t dims = count_type(m.host().db(), "DIMENSION");
  const double took = best_seconds(1, [&] { failure = m.script("BemUpd\nALL\n\n"); });
  if (!failure.empty()) return {not_measured("BemUpd, 1,000 chains", "BemUpd failed: " + failure)};
  return {Row("BemUpd, 1,000 chains", took * 1000, "ms")
              .against("Dulk making the same chains", made * 1000)
              .with_note(std::to_string(dims) + " dimensions before, " +
                         std::to_string(count_type(m.host().db(), "DIMENSION")) + " after")};
}

// The same chains as ezdxf draws them (linear dimensions rendered into blocks), timed by
// ezdxf itself in the system's python3 (where Debian's python3-ezdxf lives); 0 when it cannot be
// run.
double ezdxf_seconds(size_t chains, const std::string& work_dir) {
  const std::string script = work_dir + "/dulk_bench_ezdxf.py";
  std::ofstream(script) << "import time, ezdxf\n"
                           "doc = ezdxf.new('R2013')\n"
                           "msp = doc.modelspace()\n"
                           "start = time.perf_counter()\n"
                        << "for k in range(" << chains << "):\n"
                        << "    y = k * 5.0\n"
                           "    xs = [0, 3, 7.5, 12]\n"
                           "    for a, b in zip(xs, xs[1:]):\n"
                           "        msp.add_linear_dim(base=(0, y + 1), p1=(a, y), p2=(b, y))"
                           ".render()\n"
                           "print(time.perf_counter() - start)\n";
  FILE* out = popen(("/usr/bin/python3 " + script + " 2>/dev/null").c_str(), "r");
  if (!out) return 0;
  double seconds = 0;
  if (std::fscanf(out, "%lf", &seconds) != 1) seconds = 0;
  pclose(out);
  std::remove(script.c_str());
  return seconds;
}

std::vector<Row> generation_rows(const Options& options) {
  constexpr size_t kChains = 200;
  ModuleHost m(options.module_path);
  if (!m.error().empty()) return {not_measured("chain generation vs ezdxf", m.error())};
  std::string make;
  for (size_t k = 0; k < kChains; ++k) {
    const double y = static_cast<double>(k) * 5;
    make += "Dulk\n" + point(0, y) + "\n" + point(3, y) + "\n" + point(7.5, y) + "\n" +
            point(12, y) + "\n\n" + point(0, y + 1) + "\n0\n";
  }
  std::string failure;
  const double took = best_seconds(1, [&] { failure = m.script(make); });
  if (!failure.empty())
    return {not_measured("chain generation vs ezdxf", "Dulk failed: " + failure)};
  const double ezdxf = ezdxf_seconds(kChains, options.work_dir);
  if (ezdxf <= 0)
    return {not_measured("chain generation vs ezdxf", "/usr/bin/python3 with ezdxf did not run")};
  // Chains per second, so that the faster is the larger figure as in the other rows.
  return {Row("chain generation (Dulk, 3 dims)", static_cast<double>(kChains) / took, "chains/s")
              .against("ezdxf add_linear_dim + render", static_cast<double>(kChains) / ezdxf)
              .with_note(std::to_string(count_type(m.host().db(), "DIMENSION")) +
                         " dimensions made by Dulk")};
}

}  // namespace

std::vector<Bench> module_benches() {
  return {{"generation", generation_rows}, {"autobem", autobem_rows}, {"bemupd", bemupd_rows}};
}

}  // namespace bench
