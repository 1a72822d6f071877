#include "tests/app/dulk_run.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

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

std::string ScratchFolder::listing() const {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string out;
  for (const std::string& name : names) out += (out.empty() ? "" : " ") + name;
  return out;
}

std::string dulk_command(const ScratchFolder& folder, const std::string& args) {
  return "cd " + shell_word(folder.path().string()) + " && " + shell_word(dulk_binary()) + " " +
         args;
}

DulkRun run_dulk(const ScratchFolder& folder, const std::string& args, std::string_view input) {
  // The test's own files for the streams, named so that no test writes a file of that name.
  folder.write(".stdin", input);
  const std::string command = dulk_command(folder, args + " <.stdin >.stdout 2>.stderr");
  const int status = std::system(command.c_str());
  DulkRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = folder.read(".stdout").value_or("");
  run.err = folder.read(".stderr").value_or("");
  for (const char* name : {".stdin", ".stdout", ".stderr"}) fs::remove(folder / name);
  return run;
}

std::string lines_in(const fs::path& dxf) {
  cad::ReadResult read = cad::read_dxf_file(dxf.string());
  if (!read.db) return "unreadable";
  std::ostringstream out;
  for (cad::RecordId id : read.db->entities()) {
    const cad::Record& rec = read.db->record(id);
    if (rec.type != "LINE" || read.db->erased(id)) continue;
    const cad::Vec3 from = rec.point(10), to = rec.point(11);
    out << from.x << "," << from.y << "," << from.z << " " << to.x << "," << to.y << "," << to.z
        << "\n";
  }
  return out.str();
}

std::string script_of(const cad::testing::CaseLine& c, size_t first) {
  std::string out;
  for (size_t k = first; k < c.fields.size(); ++k) out += c.fields[k] + "\n";
  return out;
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
