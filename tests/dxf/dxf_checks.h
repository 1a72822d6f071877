// Shared helpers of the DXF tests: DXF texts line by line, files of the data folder, binary files
// byte by byte, and ezdxf's audit of written files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cad/dxf/reader.h"
#include "cad/dxf/tags.h"
#include "cad/dxf/writer.h"
#include "tests/support/files.h"

namespace cad::testing {

// A DXF text from lines, each ended by a line feed.
inline std::string dxf_lines(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (std::string_view line : lines) out.append(line).append("\n");
  return out;
}

// A DXF text from groups written "code value" and separated by "; ", e.g.
// dxf_groups("0 SECTION; 2 HEADER; 0 ENDSEC; 0 EOF"); a value may hold blanks.
inline std::string dxf_groups(std::string_view groups) {
  std::string out;
  while (!groups.empty()) {
    const size_t end = groups.find("; ");
    const std::string_view group = groups.substr(0, end);
    const size_t blank = group.find(' ');
    out.append(group.substr(0, blank)).append("\n");
    if (blank != std::string_view::npos) out.append(group.substr(blank + 1));
    out += '\n';
    groups = end == std::string_view::npos ? std::string_view() : groups.substr(end + 2);
  }
  return out;
}

// A file of tests/dxf/data, as it stands.
inline std::string data_file(const std::string& name) {
  std::ifstream in(DULK_SOURCE_DIR "/tests/dxf/data/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Binary files built byte by byte: the sentinel, then code and value per group.
class BinaryFile {
 public:
  explicit BinaryFile(bool two_byte_codes) : two_byte_(two_byte_codes), bytes_(kBinarySentinel) {}
  BinaryFile& code(int c) {
    // One byte, or 255 and two bytes for a larger code when codes take one.
    if (!two_byte_) bytes_.push_back(static_cast<char>(std::min(c, 255)));
    if (two_byte_ || c >= 255) put<uint16_t>(static_cast<uint16_t>(c));
    return *this;
  }
  BinaryFile& text(int c, std::string_view s) {
    code(c);
    bytes_.append(s).push_back('\0');
    return *this;
  }
  BinaryFile& real(int c, double v) { return code(c).put(v); }
  BinaryFile& int16(int c, int16_t v) { return code(c).put(v); }
  BinaryFile& chunk(int c, std::string_view data) {
    code(c);
    bytes_.append(1, static_cast<char>(data.size())).append(data);
    return *this;
  }
  const std::string& bytes() const { return bytes_; }

 private:
  template <typename T>
  BinaryFile& put(T v) {
    char buf[sizeof v];
    std::memcpy(buf, &v, sizeof v);
    bytes_.append(buf, sizeof v);
    return *this;
  }
  bool two_byte_;
  std::string bytes_;
};

// Runs ezdxf's strict reader and auditor over the files; success when all pass.
inline ::testing::AssertionResult ezdxf_audit(const std::vector<std::string>& paths) {
  std::string command = "/usr/bin/python3 " DULK_SOURCE_DIR "/tests/dxf/ezdxf_audit.py";
  for (const std::string& p : paths) command += " '" + p + "'";
  command += " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return ::testing::AssertionFailure() << "cannot run /usr/bin/python3";
  std::string output;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) output.append(buf, n);
  const int status = pclose(pipe);
  if (status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "ezdxf audit failed (status " << status << "):\n"
                                       << output;
}

// The drawing saved under the name in a scratch folder, in the form given, and ezdxf's audit of
// the file.
inline ::testing::AssertionResult saved_and_audited(const Database& db, const std::string& name,
                                                    DxfForm form = DxfForm::kAscii) {
  TempDir dir;
  const std::string path = (dir.path() / name).string();
  std::string error;
  if (!save_dxf(db, path, &error, {}, nullptr, form))
    return ::testing::AssertionFailure() << "not saved: " << error;
  return ezdxf_audit({path});
}

}  // namespace cad::testing
