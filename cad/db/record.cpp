#include "cad/db/record.h"

#include <algorithm>
#include <bit>
#include <charconv>

#include "cad/base/text.h"
#include "cad/base/utf8.h"

namespace cad {

bool valid_table_name(std::string_view name) {
  if (name.empty() || name.find_first_of("<>/\\\":;?*|=`") != std::string_view::npos ||
      !valid_utf8(name))
    return false;
  return utf8_length(name) <= 255;
}

namespace {

// The handle's text in buf, which holds any 64-bit handle.
std::string_view format_handle(uint64_t handle, char (&buf)[16]) {
  // Every record that enters the drawing is given one: upper-case digits written directly.
  const size_t digits = handle == 0 ? 1 : static_cast<size_t>(std::bit_width(handle) + 3) / 4;
  for (size_t k = digits; k-- > 0; handle >>= 4) buf[k] = "0123456789ABCDEF"[handle & 0xF];
  return {buf, digits};
}

}  // namespace

std::string handle_text(uint64_t handle) {
  char buf[16];
  return std::string(format_handle(handle, buf));
}

uint64_t parse_handle(std::string_view text) {
  text = trim(text, " ");
  uint64_t value = 0;
  if (text.size() > 16) {
    // Only leading zeros can make a handle this long.
    auto res = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return res.ec == std::errc() && res.ptr == text.data() + text.size() ? value : 0;
  }
  // Reading a drawing asks this of every record: digits one by one, without from_chars' checks.
  for (const char c : text) {
    const unsigned digit = static_cast<unsigned>(c - '0');
    const unsigned letter = static_cast<unsigned>((c | 0x20) - 'a');
    if (digit < 10)
      value = value << 4 | digit;
    else if (letter < 6)
      value = value << 4 | (letter + 10);
    else
      return 0;
  }
  return value;
}

uint64_t Record::handle() const {
  const Group* g = find(handle_code());
  return g ? parse_handle(g->s()) : 0;
}

void Record::set_handle(uint64_t handle) {
  int code = handle_code();
  char buf[16];
  if (Group* g = find(code)) {
    g->set_s(format_handle(handle, buf));
    return;
  }
  // The handle follows the type directly, as every writer puts it. A record gets its handle as it
  // enters the drawing, complete: room for one more group, not the double a vector would take.
  groups.reserve(groups.size() + 1);
  groups.insert(groups.begin(), Group::text(code, format_handle(handle, buf)));
}

size_t Record::index_of(int code, size_t from) const {
  for (size_t k = from; k < groups.size(); ++k)
    if (groups[k].code == code) return k;
  return groups.size();
}

const Group* Record::find(int code, size_t from) const {
  size_t k = index_of(code, from);
  return k < groups.size() ? &groups[k] : nullptr;
}

Group* Record::find(int code, size_t from) {
  size_t k = index_of(code, from);
  return k < groups.size() ? &groups[k] : nullptr;
}

std::string_view Record::text(int code, std::string_view fallback) const {
  const Group* g = find(code);
  return g ? std::string_view(g->s()) : fallback;
}

double Record::real(int code, double fallback) const {
  const Group* g = find(code);
  return g ? g->x() : fallback;
}

int64_t Record::integer(int code, int64_t fallback) const {
  const Group* g = find(code);
  return g ? g->i() : fallback;
}

Vec3 Record::point(int code, Vec3 fallback) const {
  const Group* g = find(code);
  return g ? g->pt() : fallback;
}

size_t Record::xdata_begin() const { return index_of(1001); }

void Record::set(const Group& g) {
  size_t end = xdata_begin();
  for (size_t k = 0; k < end; ++k) {
    if (groups[k].code == g.code) {
      groups[k] = g;
      return;
    }
  }
  groups.insert(groups.begin() + static_cast<std::ptrdiff_t>(end), g);
}

namespace {
// [begin, end) of one application's block, begin at its 1001 group; {size, size} when absent.
std::pair<size_t, size_t> xdata_range(const std::vector<Group>& groups, std::string_view app) {
  for (size_t k = 0; k < groups.size(); ++k) {
    if (groups[k].code != 1001 || !iequals(groups[k].s(), app)) continue;
    size_t end = k + 1;
    while (end < groups.size() && groups[end].code != 1001) ++end;
    return {k, end};
  }
  return {groups.size(), groups.size()};
}
}  // namespace

std::vector<Group> Record::xdata(std::string_view app) const {
  auto [begin, end] = xdata_range(groups, app);
  if (begin == end) return {};
  return {groups.begin() + static_cast<std::ptrdiff_t>(begin) + 1,
          groups.begin() + static_cast<std::ptrdiff_t>(end)};
}

bool Record::has_xdata(std::string_view app) const {
  auto [begin, end] = xdata_range(groups, app);
  return begin != end;
}

void Record::remove_xdata(std::string_view app) {
  auto [begin, end] = xdata_range(groups, app);
  groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(begin),
               groups.begin() + static_cast<std::ptrdiff_t>(end));
}

void Record::set_xdata(std::string_view app, const std::vector<Group>& items) {
  auto [begin, end] = xdata_range(groups, app);
  std::vector<Group> block;
  block.push_back(Group::text(1001, std::string(app)));
  block.insert(block.end(), items.begin(), items.end());
  if (begin == end) {
    groups.insert(groups.end(), block.begin(), block.end());
    return;
  }
  groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(begin),
               groups.begin() + static_cast<std::ptrdiff_t>(end));
  groups.insert(groups.begin() + static_cast<std::ptrdiff_t>(begin), block.begin(), block.end());
}

}  // namespace cad
