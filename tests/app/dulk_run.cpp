#include "tests/app/dulk_run.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "cad/db/database.h"
#include "cad/dxf/reader.h"

namespace dulk::testing {

namespace fs = std::filesystem;

const char kDrawing[] =
    "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n5\n20\n5\n30\n0\n11\n6\n21\n6\n31\n0\n"
    "0\nENDSEC\n0\nEOF\n";
const char kLineScript[] = "LINE\n0,0\n1,1\n\n";

std::string dulk_binary() { return DULK_BINARY_DIR "/dulk"; }
std::string module_path() { return DULK_BINARY_DIR "/DulkArx.arx"; }

std::vector<std::string> ScratchFolder::listing() const {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string shell_word(const std::string& word) {
  std::string out = "'";
  for (char c : word) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

DulkRun run_dulk(const ScratchFolder& folder, const std::string& args, std::string_view input) {
  // The test's own files for the streams, named so that no test writes a file of that name.
  folder.write(".stdin", input);
  const std::string command = "cd " + shell_word(folder.path().string()) + " && " +
                              shell_word(dulk_binary()) + " " + args +
                              " <.stdin >.stdout 2>.stderr";
  const int status = std::system(command.c_str());
  DulkRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = folder.read(".stdout").value_or("");
  run.err = folder.read(".stderr").value_or("");
  for (const char* name : {".stdin", ".stdout", ".stderr"}) fs::remove(folder / name);
  return run;
}

std::optional<std::vector<Segment>> lines_in(const fs::path& dxf) {
  cad::ReadResult read = cad::read_dxf_file(dxf.string());
  if (!read.db) return std::nullopt;
  std::vector<Segment> lines;
  for (cad::RecordId id : read.db->entities()) {
    const cad::Record& rec = read.db->record(id);
    if (rec.type == "LINE" && !read.db->erased(id)) lines.push_back({rec.point(10), rec.point(11)});
  }
  return lines;
}

std::optional<size_t> count_entities(const fs::path& dxf, std::string_view type) {
  cad::ReadResult read = cad::read_dxf_file(dxf.string());
  if (!read.db) return std::nullopt;
  size_t count = 0;
  for (cad::RecordId id : read.db->entities())
    if (read.db->record(id).type == type && !read.db->erased(id)) ++count;
  return count;
}

}  // namespace dulk::testing
