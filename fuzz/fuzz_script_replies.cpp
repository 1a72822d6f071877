// A script split into replies, and each reply read as a number, a point and a keyword.
//
// Input: the first line is a keyword list (as acedInitGet takes it), the rest is the script. The
// script is read twice: once with blanks ending replies, once taking text with blanks on every
// other line.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/input/keywords.h"
#include "cad/input/parse.h"
#include "cad/input/reply.h"
#include "cad/input/script_source.h"
#include "fuzz/fuzz_check.h"

namespace {

using cad::fuzz::fail;

void check_number(std::string_view text) {
  if (auto value = cad::parse_real(text)) {
    if (!std::isfinite(*value)) fail("parse_real gives finite numbers", text);
    if (cad::parse_real(cad::format_number(*value)) != *value)
      fail("a number's shortest form reads back as the same number", text);
  }
  if (auto whole = cad::parse_int(text)) {
    const std::optional<double> real = cad::parse_real(text);
    if (!real) fail("a whole number is also a number", text);
    // Within 2^53 every whole number is a double.
    constexpr int64_t kExact = int64_t{1} << 53;
    if (*whole > -kExact && *whole < kExact && *real != static_cast<double>(*whole))
      fail("a whole number has the same value as a number", text);
  }
  if (auto point = cad::parse_point(text, {})) {
    if (!std::isfinite(point->x) || !std::isfinite(point->y) || !std::isfinite(point->z))
      fail("a point typed in finite numbers is finite", text);
  }
}

// The words of a keyword list as written, and those a reply can pick by name: the ones before
// the first word beginning with "_" (the local keywords).
struct Words {
  std::vector<std::string_view> all;
  std::vector<std::string_view> local;
};

Words words_of(std::string_view list) {
  Words words;
  bool global = false;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(' ', start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view word = list.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    global = global || word.starts_with('_');
    words.all.push_back(word);
    if (word.starts_with('_')) words.all.push_back(word.substr(1));
    if (!global) words.local.push_back(word);
  }
  return words;
}

bool is_word(const Words& words, std::string_view text) {
  for (std::string_view w : words.all)
    if (w == text) return true;
  return false;
}

void check_keywords(const cad::KeywordList& list, const Words& words, std::string_view reply) {
  std::optional<std::string> picked = list.match(reply);
  if (picked && !is_word(words, *picked)) fail("a reply picks a keyword of the list", *picked);
}

void read_script(std::string_view script, bool text_lines, const cad::KeywordList& list,
                 const Words& words) {
  cad::ScriptSource source(script, "fuzz.scr");
  const size_t lines = static_cast<size_t>(std::count(script.begin(), script.end(), '\n')) + 1;
  int last_line = 0;
  // Each call takes at least one byte or one line end, so more calls than that is a loop.
  for (size_t calls = 0; calls <= script.size() + lines + 1; ++calls) {
    const bool spaces_end_reply = !text_lines || last_line % 2 == 0;
    cad::Reply reply = source.next(spaces_end_reply);
    if (reply.line < last_line) fail("script replies come in line order");
    if (static_cast<size_t>(reply.line) > lines) fail("a reply's line is a line of the script");
    last_line = reply.line;
    if (reply.kind == cad::Reply::Kind::kEnd) {
      if (source.next(true).kind != cad::Reply::Kind::kEnd) fail("an ended script stays ended");
      return;
    }
    if (reply.text.find('\n') != std::string::npos) fail("a reply holds no line end");
    if (spaces_end_reply && reply.text.find(' ') != std::string::npos)
      fail("a blank ends a reply", reply.text);
    check_number(reply.text);
    check_keywords(list, words, reply.text);
  }
  fail("a script ends");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = cad::fuzz::as_text(data, size);
  const size_t first_end = input.find('\n');
  std::string_view keywords = input.substr(0, first_end);
  std::string_view script =
      first_end == std::string_view::npos ? std::string_view() : input.substr(first_end + 1);

  const cad::KeywordList list(keywords);
  const Words words = words_of(keywords);
  for (std::string_view word : words.local) {
    if (!list.match(word)) fail("a keyword picks itself", word);
    const std::string short_form = cad::keyword_short_form(word);
    if (word.find(short_form) == std::string_view::npos)
      fail("a short form is part of its keyword", word);
    if (!list.match(short_form)) fail("a short form picks a keyword", word);
  }
  read_script(script, false, list, words);
  read_script(script, true, list, words);
  return 0;
}
