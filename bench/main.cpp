// dulk_bench: runs every benchmark (or those named on the command line) and prints the table.
//
//   dulk_bench [--entities N] [--repeat N] [--work-dir DIR] [--module PATH] [NAME...]
//   dulk_bench --plan ENTITIES FILE      writes the generated plan (for profiling the reader)
//   dulk_bench --measure-peak WORK FILE  the child of the peak memory rows
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench.h"

namespace {

std::string figure(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, value >= 100 ? "%.0f" : value >= 10 ? "%.1f" : "%.2f", value);
  return buf;
}

void print(const std::vector<bench::Row>& rows) {
  std::printf("%-36s %10s %-9s %-30s %10s %7s  %-26s %s\n", "measure", "value", "unit", "baseline",
              "baseline", "ratio", "target", "met");
  for (const bench::Row& row : rows) {
    const bool has_base = !row.baseline.empty();
    const char* met = !row.met ? "" : *row.met ? "yes" : "NO";
    const std::string ratio = has_base && row.baseline_value > 0
                                  ? figure(100 * row.value / row.baseline_value) + "%"
                                  : "";
    std::printf("%-36s %10s %-9s %-30s %10s %7s  %-26s %s\n", row.what.c_str(),
                figure(row.value).c_str(), row.unit.c_str(), row.baseline.c_str(),
                has_base ? figure(row.baseline_value).c_str() : "", ratio.c_str(),
                row.target.c_str(), met);
    if (!row.note.empty()) std::printf("    %s\n", row.note.c_str());
  }
}

int usage() {
  std::fprintf(stderr,
               "usage: dulk_bench [--entities N] [--repeat N] [--work-dir DIR] [--module PATH] "
               "[NAME...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string_view(argv[1]) == "--measure-peak")
    return bench::measure_peak(argv[2], argv[3]);
  if (argc == 4 && std::string_view(argv[1]) == "--plan") {
    // The generated plan alone, for profiling the reader on it.
    const std::string plan = bench::generate_plan(std::strtoul(argv[2], nullptr, 10));
    std::FILE* out = std::fopen(argv[3], "wb");
    const bool ok = out && std::fwrite(plan.data(), 1, plan.size(), out) == plan.size();
    return out && std::fclose(out) == 0 && ok ? 0 : 1;
  }
  bench::Options options;
  const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe");
  options.module_path = (self.parent_path() / "DulkArx.arx").string();
  options.work_dir = std::filesystem::temp_directory_path().string();
  std::vector<std::string_view> only;
  for (int k = 1; k < argc; ++k) {
    const std::string_view arg = argv[k];
    const bool has_value = k + 1 < argc;
    if (arg == "--entities" && has_value) {
      options.entities = std::strtoul(argv[++k], nullptr, 10);
    } else if (arg == "--repeat" && has_value) {
      options.repeat = std::max(1, std::atoi(argv[++k]));
    } else if (arg == "--work-dir" && has_value) {
      options.work_dir = argv[++k];
    } else if (arg == "--module" && has_value) {
      options.module_path = argv[++k];
    } else if (arg.starts_with("-")) {
      return usage();
    } else {
      only.push_back(arg);
    }
  }

  std::vector<bench::Bench> benches = bench::dxf_benches();
  for (bench::Bench& b : bench::module_benches()) benches.push_back(std::move(b));
  std::vector<bench::Row> rows;
  for (const bench::Bench& b : benches) {
    if (!only.empty() && std::find(only.begin(), only.end(), b.name) == only.end()) continue;
    std::fprintf(stderr, "running %s...\n", b.name.c_str());
    for (bench::Row& row : b.run(options)) rows.push_back(std::move(row));
  }
  print(rows);
  for (const bench::Row& row : rows)
    if (row.met == false) return 1;
  return 0;
}
