// The tag layer of DXF: (group code, value) pairs read from ASCII and binary files, turned into
// typed groups (points joined, text decoded, angles in radians); TagWriter (tag_writer.h) writes
// them back as ASCII DXF.
// It knows the value type of every group code and nothing of entities or sections.
//
// ASCII files: group codes may carry blanks on either side, numbers trailing blanks, lines may end
// in CR LF; reading stops at "0 EOF" (whatever follows is ignored) or at the end of the data.
// Binary files start with "AutoCAD Binary DXF\r\n\x1a\0"; R12 writes 1-byte group codes (255
// escapes a 2-byte one), later versions 2-byte codes; the value's form follows its group code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cad/db/group.h"
#include "cad/dxf/codepage.h"

namespace cad {

inline constexpr std::string_view kBinarySentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

struct Tag {
  int code = 0;
  // ASCII: the value line without its line end. Binary: a string's or a binary chunk's bytes.
  std::string_view value;
  // The value of a number group when number is set: always in binary files; in ASCII files when
  // the line is a plain decimal or whole number, read while the line was scanned.
  bool number = false;
  double real = 0;
  int64_t integer = 0;
  // ASCII: line number of the group code (from 1; its value is on the next line). Binary: byte
  // offset of the group code.
  size_t pos = 0;
};

class TagReader {
 public:
  explicit TagReader(std::string_view data);
  bool binary() const { return binary_; }
  // The next tag. False at the end (after "0 EOF" or at the end of the data) and on a malformed
  // tag, when error() says where and what was expected.
  bool next(Tag& tag);
  // The next tag when it has this code; false, with nothing taken, when it has another, is
  // malformed or there is none.
  bool next_if(int code, Tag& tag);
  // The value of the next tag when its code is this one, written as blanks and digits alone, and
  // its value line a plain decimal (as a point's y and z mostly are); false, with nothing taken,
  // for any other tag, which next_if reads.
  [[gnu::always_inline]] inline bool next_plain_real(int code, double& value);
  const std::string& error() const { return error_; }
  // After an error: whether the data ended there (a file cut short) rather than at a line that is
  // no group code.
  bool at_end() const { return pos_ >= data_.size(); }
  // After an error in an ASCII file: goes on at the next "0" line followed by an object or section
  // name (upper-case letters first); false, the data ended, when there is none. Counts the lines
  // passed over.
  bool resync(size_t& lines_passed);
  // "line 12" (ASCII) or "byte 345" (binary).
  std::string where(size_t pos) const;
  // Where the data ended, for messages about what it left open.
  std::string where_end() const;

 private:
  bool next_ascii(Tag& tag);
  // Reads a code line of blanks and digits alone; gives where the next line starts, or null for a
  // line of any other form, which general_code reads (false when it is no code). Inlined by force,
  // as the number readers are: they run for every tag, and a call each costs a tenth of reading.
  [[gnu::always_inline]] inline const char* plain_code(int& code) const;
  bool general_code(int& code);
  // Reads the value line as a plain decimal (double) or whole number (int64_t) when the number
  // fills the line; false (nothing taken) when it does not.
  template <typename T>
  [[gnu::always_inline]] inline bool plain_line(T& value, std::string_view& line);
  bool next_binary(Tag& tag);
  // Inlined by force into the group reader, which takes most lines.
  [[gnu::always_inline]] inline std::string_view take_line();
  bool fail(size_t pos, std::string message);

  // GroupReader reads the tags of the common form straight into groups.
  friend class GroupReader;

  std::string_view data_;
  size_t pos_ = 0;
  size_t line_ = 0;  // lines taken so far
  bool binary_ = false;
  bool two_byte_codes_ = false;
  // The last byte of the data is no digit, point or minus: a number is scanned up to the first
  // other byte without comparing against the end.
  bool fenced_ = false;
  bool ended_ = false;
  std::string error_;
};

// What a recovering GroupReader passed over instead of ending with an error.
struct SkippedGroups {
  size_t wrong_values = 0;      // a value that is no number, or none finite, where one belongs
  size_t unreadable_lines = 0;  // lines passed over to find the next record
  bool cut_off = false;         // the data ended inside a group
};

// Groups from tags: numbers parsed, x/y/z tags joined into one point group (dims says how many
// came), angles (50-58) turned from degrees into radians, text decoded into UTF-8 by codec().
class GroupReader {
 public:
  explicit GroupReader(std::string_view data);
  // The next group; false at the end or on an error (error() non-empty). Recovering, a group
  // that cannot be read is passed over and counted instead, and the end of data inside a group
  // ends the data.
  bool next(Group& group) { return next_group(group) || (skipped_ && mend(group)); }
  void set_recovering(SkippedGroups* skipped) { skipped_ = skipped; }
  const std::string& error() const { return error_; }
  // Where the last group returned began (line or byte), said as "line 12" or "byte 345"; and
  // where the data ended.
  size_t pos() const { return pos_; }
  std::string where(size_t pos) const { return tags_.where(pos); }
  std::string where_end() const { return tags_.where_end(); }
  bool binary() const { return tags_.binary(); }
  // The reader switches it when the header names the file's version and code page.
  TextCodec& codec() { return codec_; }

 private:
  // Reads the next group when its code line is blanks and digits alone and its value is text or
  // a number filling its line, without a Tag between; a point's x only. False, with nothing
  // taken, for a tag of any other form, for "0 EOF" and at the end, which next() reads from a Tag.
  [[gnu::always_inline]] inline bool next_plain(Group& group);
  bool next_group(Group& group);
  // After next_group failed: passes over what it could not read and reads on.
  bool mend(Group& group);
  bool convert(const Tag& tag, Group& group);
  // Text, comment, handle and binary groups: the value as the tag holds it.
  void set_text(int code, GroupType type, std::string_view value, Group& group);
  std::string where_value(const Tag& tag) const;
  bool number(const Tag& tag, double& value);

  TagReader tags_;
  TextCodec codec_;
  std::string text_;  // decoded text before it goes into its group
  size_t pos_ = 0;
  std::string error_;
  SkippedGroups* skipped_ = nullptr;
};

// A group as messages show it: "0 'LINE'", "10 (1,2,0)", "70 3"; angles in radians.
std::string describe(const Group& group);

}  // namespace cad
