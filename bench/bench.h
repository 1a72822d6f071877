// The benchmark table of dulk_bench: every figure is measured beside a baseline taken in the same
// run on the same machine, so that the table says how far the host is from the plain work it
// cannot avoid, and whether it meets its target.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bench {

struct Row {
  std::string what;
  double value = 0;
  std::string unit;
  // What the figure is held against ("split into pairs") and its value in the same unit; empty
  // when the figure stands alone.
  std::string baseline;
  double baseline_value = 0;
  // The target in words ("read >= 40% of split") and whether the figure meets it.
  std::string target;
  std::optional<bool> met;
  // Anything a reader needs to take the figure right (sizes, counts).
  std::string note;

  Row(std::string what_, double value_, std::string unit_)
      : what(std::move(what_)), value(value_), unit(std::move(unit_)) {}
  Row& against(std::string name, double figure) {
    baseline = std::move(name);
    baseline_value = figure;
    return *this;
  }
  Row& aim(std::string words, bool reached) {
    target = std::move(words);
    met = reached;
    return *this;
  }
  Row& with_note(std::string text) {
    note = std::move(text);
    return *this;
  }
};

// A row for a figure that could not be measured, saying why.
inline Row not_measured(std::string what, std::string why) {
  return Row(std::move(what), 0, "").with_note("not measured: " + std::move(why));
}

struct Options {
  size_t entities = 200000;
  int repeat = 3;
  // Where generated files go.
  std::string work_dir;
  // The module to load for the module's rows (DulkArx.arx beside dulk_bench by default).
  std::string module_path;
};

// One benchmark: a name to choose it by on the command line, and the rows it measures. One that
// cannot run (the module not built yet) gives a row saying why.
struct Bench {
  std::string name;
  std::function<std::vector<Row>(const Options&)> run;
};

std::vector<Bench> dxf_benches();
// The DXF plan the DXF rows read and write: `entities` LINEs, LWPOLYLINEs and TEXTs.
std::string generate_plan(size_t entities);
// The child's side of the peak memory rows: runs one piece of work ("bytes", "read", "write") on
// a DXF file and prints how far its peak resident memory grew, in bytes.
int measure_peak(std::string_view work, const std::string& path);
std::vector<Bench> module_benches();

// The best of `repeat` runs of fn, in seconds.
template <typename Fn>
double best_seconds(int repeat, Fn&& fn) {
  double best = 0;
  for (int k = 0; k < repeat; ++k) {
    const auto start = std::chrono::steady_clock::now();
    fn();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (k == 0 || took.count() < best) best = took.count();
  }
  return best;
}

}  // namespace bench
