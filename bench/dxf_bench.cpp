// DXF rows: reading and writing a generated plan of LINEs, LWPOLYLINEs and TEXTs on a few layers,
// beside the time of only splitting the same file into (code, value) pairs; and the peak memory
// of reading and of writing it, as a multiple of the file's size.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/bench.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"

namespace bench {

namespace {

constexpr uint64_t kModelSpace = 0x1F;
constexpr uint64_t kFirstEntity = 0x100;
constexpr std::string_view kLayers[] = {"WALLS", "DOORS", "WINDOWS", "FURNITURE", "TEXT"};

// Writes groups as AutoCAD writes them: the code right-aligned to three places, the value on the
// next line.
class Out {
 public:
  void code(int code) {
    char buf[8];
    const int width = code < 10 ? 2 : code < 100 ? 1 : 0;
    text_.append(static_cast<size_t>(width), ' ');
    text_.append(buf, std::to_chars(buf, buf + sizeof buf, code).ptr);
    text_.push_back('\n');
  }
  void str(int c, std::string_view value) {
    code(c);
    text_.append(value);
    text_.push_back('\n');
  }
  void num(int c, double value) {
    char buf[32];
    code(c);
    text_.append(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
    text_.push_back('\n');
  }
  void integer(int c, int64_t value) {
    char buf[24];
    code(c);
    text_.append(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
    text_.push_back('\n');
  }
  void handle(int c, uint64_t value) {
    char buf[24];
    code(c);
    text_.append(buf, std::to_chars(buf, buf + sizeof buf, value, 16).ptr);
    // Handles are upper-case hexadecimal.
    for (size_t k = text_.size() - 1; text_[k] != '\n'; --k)
      if (text_[k] >= 'a' && text_[k] <= 'f') text_[k] = static_cast<char>(text_[k] - 32);
    text_.push_back('\n');
  }
  // An entity's common groups up to its own subclass marker.
  void entity(std::string_view type, uint64_t h, std::string_view layer, std::string_view cls) {
    str(0, type);
    handle(5, h);
    handle(330, kModelSpace);
    str(100, "AcDbEntity");
    str(8, layer);
    str(100, cls);
  }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

// Coordinates as a plan holds them: millimetres to four decimals within 100 m.
double coordinate(std::mt19937_64& rng) {
  return static_cast<double>(rng() % 1000000000) / 10000.0;
}

void tables(Out& out, uint64_t& next) {
  out.str(0, "SECTION");
  out.str(2, "TABLES");
  out.str(0, "TABLE");
  out.str(2, "LAYER");
  out.handle(5, 2);
  out.handle(330, 0);
  out.str(100, "AcDbSymbolTable");
  out.integer(70, std::size(kLayers) + 1);
  auto layer = [&](std::string_view name, int color) {
    out.str(0, "LAYER");
    out.handle(5, next++);
    out.handle(330, 2);
    out.str(100, "AcDbSymbolTableRecord");
    out.str(100, "AcDbLayerTableRecord");
    out.str(2, name);
    out.integer(70, 0);
    out.integer(62, color);
    out.str(6, "Continuous");
  };
  layer("0", 7);
  int color = 1;
  for (std::string_view name : kLayers) layer(name, color++);
  out.str(0, "ENDTAB");
  out.str(0, "TABLE");
  out.str(2, "BLOCK_RECORD");
  out.handle(5, 1);
  out.handle(330, 0);
  out.str(100, "AcDbSymbolTable");
  out.integer(70, 2);
  for (auto [h, name] : {std::pair<uint64_t, std::string_view>{kModelSpace, "*Model_Space"},
                         {0x1B, "*Paper_Space"}}) {
    out.str(0, "BLOCK_RECORD");
    out.handle(5, h);
    out.handle(330, 1);
    out.str(100, "AcDbSymbolTableRecord");
    out.str(100, "AcDbBlockTableRecord");
    out.str(2, name);
  }
  out.str(0, "ENDTAB");
  out.str(0, "ENDSEC");
}

void blocks(Out& out) {
  out.str(0, "SECTION");
  out.str(2, "BLOCKS");
  for (auto [owner, name] : {std::pair<uint64_t, std::string_view>{kModelSpace, "*Model_Space"},
                             {0x1B, "*Paper_Space"}}) {
    out.str(0, "BLOCK");
    out.handle(5, owner + 1);
    out.handle(330, owner);
    out.str(100, "AcDbEntity");
    out.str(8, "0");
    out.str(100, "AcDbBlockBegin");
    out.str(2, name);
    out.integer(70, 0);
    out.num(10, 0);
    out.num(20, 0);
    out.num(30, 0);
    out.str(3, name);
    out.str(1, "");
    out.str(0, "ENDBLK");
    out.handle(5, owner + 2);
    out.handle(330, owner);
    out.str(100, "AcDbEntity");
    out.str(8, "0");
    out.str(100, "AcDbBlockEnd");
  }
  out.str(0, "ENDSEC");
}

}  // namespace

// A plan of `entities` entities: 60% LINEs, 25% LWPOLYLINEs of 4 to 7 vertices (some bulged),
// 15% TEXTs, spread over the layers; an R2000 file with the tables, blocks and objects it needs.
std::string generate_plan(size_t entities) {
  std::mt19937_64 rng(20240601);
  Out out;
  uint64_t next = 0x40;
  out.str(0, "SECTION");
  out.str(2, "HEADER");
  out.str(9, "$ACADVER");
  out.str(1, "AC1015");
  out.str(9, "$HANDSEED");
  out.handle(5, kFirstEntity + entities);
  out.str(0, "ENDSEC");
  tables(out, next);
  blocks(out);
  out.str(0, "SECTION");
  out.str(2, "ENTITIES");
  for (size_t k = 0; k < entities; ++k) {
    const uint64_t h = kFirstEntity + k;
    const std::string_view layer = kLayers[rng() % (std::size(kLayers) - 1)];
    const unsigned kind = static_cast<unsigned>(rng() % 100);
    if (kind < 60) {
      out.entity("LINE", h, layer, "AcDbLine");
      for (int c : {10, 20, 30, 11, 21, 31}) out.num(c, c % 10 == 0 ? 0.0 : coordinate(rng));
    } else if (kind < 85) {
      const int vertices = 4 + static_cast<int>(rng() % 4);
      out.entity("LWPOLYLINE", h, layer, "AcDbPolyline");
      out.integer(90, vertices);
      out.integer(70, static_cast<int>(rng() % 2));
      out.num(43, 0);
      for (int v = 0; v < vertices; ++v) {
        out.num(10, coordinate(rng));
        out.num(20, coordinate(rng));
        if (rng() % 4 == 0) out.num(42, 0.4142);
      }
    } else {
      out.entity("TEXT", h, "TEXT", "AcDbText");
      out.num(10, coordinate(rng));
      out.num(20, coordinate(rng));
      out.num(30, 0);
      out.num(40, 0.25);
      out.str(1, "Room " + std::to_string(rng() % 10000) + " - 12.5 m\xB2");
      out.num(50, static_cast<double>(rng() % 4) * 90);
      out.str(100, "AcDbText");
    }
  }
  out.str(0, "ENDSEC");
  out.str(0, "SECTION");
  out.str(2, "OBJECTS");
  out.str(0, "DICTIONARY");
  out.handle(5, 0xC);
  out.handle(330, 0);
  out.str(100, "AcDbDictionary");
  out.str(3, "ACAD_GROUP");
  out.handle(350, 0xD);
  out.str(0, "DICTIONARY");
  out.handle(5, 0xD);
  out.handle(330, 0xC);
  out.str(100, "AcDbDictionary");
  out.str(0, "ENDSEC");
  out.str(0, "EOF");
  return out.take();
}

namespace {

// The least a reader must do: cut the text into lines, read each code line as a number and
// pair it with its value line (line ends CR LF or LF, blanks around the code).
size_t split_pairs(std::string_view text, std::vector<std::pair<int, std::string_view>>& pairs) {
  pairs.clear();
  size_t pos = 0;
  auto line = [&]() {
    const size_t end = text.find('\n', pos);
    std::string_view l = text.substr(pos, end == std::string_view::npos ? end : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    return l;
  };
  while (pos < text.size()) {
    std::string_view code = line();
    while (!code.empty() && code.front() == ' ') code.remove_prefix(1);
    while (!code.empty() && code.back() == ' ') code.remove_suffix(1);
    int value = 0;
    std::from_chars(code.data(), code.data() + code.size(), value);
    pairs.emplace_back(value, line());
  }
  return pairs.size();
}

double megabytes(size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

std::string size_note(size_t bytes, size_t entities) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "generated plan: %zu entities, %.1f MB of DXF (R2000)", entities,
                megabytes(bytes));
  return buf;
}

// The file's bytes in one allocation of its size, as read_dxf_file holds them.
std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::string data(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
  in.seekg(0);
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  if (!in) return {};
  return data;
}

long status_kb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line))
    if (line.starts_with(key)) return std::strtol(line.c_str() + key.size(), nullptr, 10);
  return -1;
}

// The growth of the peak resident memory (VmHWM over the VmRSS it started with) of a fresh
// dulk_bench process doing one piece of work on the file, in bytes; -1 when it failed. A fresh
// process, because freed memory this one still holds would be reused unseen.
long peak_growth(std::string_view work, const std::string& path) {
  const std::string self = std::filesystem::canonical("/proc/self/exe").string();
  const std::string command =
      "'" + self + "' --measure-peak " + std::string(work) + " '" + path + "'";
  FILE* out = popen(command.c_str(), "r");
  if (!out) return -1;
  long growth = -1;
  if (std::fscanf(out, "%ld", &growth) != 1) growth = -1;
  return pclose(out) == 0 ? growth : -1;
}

std::vector<Row> speed_rows(const Options& options) {
  const std::string plan = generate_plan(options.entities);
  std::vector<std::pair<int, std::string_view>> pairs;
  pairs.reserve(plan.size() / 8);
  size_t pair_count = 0;
  size_t read_entities = 0;
  std::string error;
  // Freeing a drawing is not part of reading it (the split keeps its pairs too): each drawing is
  // dropped after its timing. The first read runs on a heap the process has not used yet, the
  // later ones on the memory the earlier drawings gave back, as the split runs on its reserved
  // pairs; both figures are shown. Splits and reads take turns, so that a busy spell of the
  // machine falls on both alike.
  double split = 0;
  double read = 0;
  double first_read = 0;
  for (int k = 0; k < options.repeat; ++k) {
    const double split_took = best_seconds(1, [&] { pair_count = split_pairs(plan, pairs); });
    split = k == 0 ? split_took : std::min(split, split_took);
    cad::ReadResult result;
    const double took = best_seconds(1, [&] { result = cad::read_dxf(plan, "plan.dxf"); });
    if (!result.db) {
      error = result.error;
      break;
    }
    read_entities = result.db->entities().size();
    if (k == 0) first_read = took;
    read = k == 0 ? took : std::min(read, took);
  }
  cad::ReadResult result = cad::read_dxf(plan, "plan.dxf");
  if (!result.db || read_entities != options.entities) {
    return {not_measured("DXF read", "the generated plan did not read: " + error)};
  }
  size_t written_bytes = 0;
  const double write =
      best_seconds(options.repeat, [&] { written_bytes = cad::write_dxf(*result.db).size(); });

  const double split_speed = megabytes(plan.size()) / split;
  std::vector<Row> rows;
  const double read_speed = megabytes(plan.size()) / read;
  rows.push_back(
      Row("DXF read (read_dxf)", read_speed, "MB/s")
          .against("split into (code, value) pairs", split_speed)
          .aim("read >= 40% of split", read_speed >= 0.4 * split_speed)
          .with_note(size_note(plan.size(), options.entities) + ", " + std::to_string(pair_count) +
                     " pairs; first read " +
                     std::to_string(static_cast<int>(megabytes(plan.size()) / first_read)) +
                     " MB/s"));
  rows.push_back(Row("DXF write (write_dxf)", megabytes(written_bytes) / write, "MB/s")
                     .against("split into (code, value) pairs", split_speed)
                     .with_note("written: " + std::to_string(written_bytes / 1024) + " KiB"));
  return rows;
}

std::vector<Row> memory_rows(const Options& options) {
  const std::string path = options.work_dir + "/dulk_bench_plan.dxf";
  size_t size = 0;
  {
    const std::string plan = generate_plan(options.entities);
    size = plan.size();
    std::ofstream(path, std::ios::binary).write(plan.data(), static_cast<std::streamsize>(size));
  }
  const long bytes_only = peak_growth("bytes", path);
  const long read_peak = peak_growth("read", path);
  const long write_peak = peak_growth("write", path);
  std::remove(path.c_str());
  std::remove((path + ".out").c_str());
  const double file = static_cast<double>(size);
  std::vector<Row> rows;
  const double bytes_ratio = static_cast<double>(bytes_only) / file;
  rows.push_back(
      Row("peak memory: read_dxf_file", static_cast<double>(read_peak) / file, "x file")
          .against("the file's bytes alone", bytes_ratio)
          .aim("< 4x the file size", read_peak > 0 && static_cast<double>(read_peak) < 4 * file)
          .with_note("growth of VmHWM in a child process; file " + std::to_string(size / 1024) +
                     " KiB"));
  rows.push_back(
      Row("peak memory: read, then save_dxf", static_cast<double>(write_peak) / file, "x file")
          .against("the file's bytes alone", bytes_ratio)
          .aim("< 4x the file size", write_peak > 0 && static_cast<double>(write_peak) < 4 * file));
  return rows;
}

}  // namespace

int measure_peak(std::string_view work, const std::string& path) {
  const long start = status_kb("VmRSS");
  bool ok = false;
  if (work == "bytes") {
    // The baseline holds the file's bytes and nothing else.
    ok = !read_file(path).empty();
  } else {
    cad::ReadResult result = cad::read_dxf_file(path);
    std::string error;
    ok = result.db && (work == "read" || cad::save_dxf(*result.db, path + ".out", &error));
  }
  if (!ok) return 1;
  std::printf("%ld\n", (status_kb("VmHWM") - start) * 1024);
  return 0;
}

std::vector<Bench> dxf_benches() { return {{"dxf", speed_rows}, {"memory", memory_rows}}; }

}  // namespace bench
