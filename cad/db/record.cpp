#include "cad/db/record.h"

#include <algorithm>
#include <charconv>

namespace cad {

namespace {

// ASCII only, whatever the locale: names compare alike in every session.
char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    if (a[k] != b[k] && ascii_upper(a[k]) != ascii_upper(b[k])) return false;
  }
  return true;
}

std::string to_upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ascii_upper(c);
  return out;
}

bool valid_utf8(std::string_view text) {
  size_t k = 0;
  while (k < text.size()) {
    const auto b = static_cast<unsigned char>(text[k]);
    const int extra = b < 0x80         ? 0
                      : (b >> 5) == 6  ? 1
                      : (b >> 4) == 14 ? 2
                      : (b >> 3) == 30 ? 3
                                       : -1;
    if (extra < 0 || k + static_cast<size_t>(extra) >= text.size()) return false;
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
      const auto next = static_cast<unsigned char>(text[k + static_cast<size_t>(i)]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    k += static_cast<size_t>(extra) + 1;
  }
  return true;
}

bool valid_table_name(std::string_view name) {
  if (name.empty() || name.find_first_of("<>/\\\":;?*|=`") != std::string_view::npos ||
      !valid_utf8(name))
    return false;
  const auto characters = std::count_if(name.begin(), name.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  });
  return characters <= 255;
}

std::string handle_text(uint64_t handle) {
  char buf[20];
  auto res = std::to_chars(buf, buf + sizeof buf, handle, 16);
  for (char* c = buf; c != res.ptr; ++c) *c = ascii_upper(*c);
  return std::string(buf, res.ptr);
}

uint64_t parse_handle(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  uint64_t value = 0;
  auto res = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return 0;
  return value;
}

uint64_t Record::handle() const {
  const Group* g = find(handle_code());
  return g ? parse_handle(g->s()) : 0;
}

void Record::set_handle(uint64_t handle) {
  int code = handle_code();
  if (Group* g = find(code)) {
    g->set_s(handle_text(handle));
    return;
  }
  // The handle follows the type directly, as every writer puts it. A record gets its handle as it
  // enters the drawing, complete: room for one more group, not the double a vector would take.
  groups.reserve(groups.size() + 1);
  groups.insert(groups.begin(), Group::text(code, handle_text(handle)));
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
