// Output and failure through the C interface: formatted printing to the host's command line,
// alerts, and acrx_abort, which ends the running command (the runner rolls it back) instead of
// the whole host.
//
// Formats follow the real host's rule, the wide printf of its platform: %s and %c take wide
// text, %hs and %hc narrow text, %ls and %lc wide text. glibc's wide printf reads %s as narrow
// text, so formats are rewritten before they reach it.
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <string>
#include <string_view>
#include <vector>

#include "cad/ads/bridge.h"
#include "cad/input/transcript.h"
#include "host/adslib.h"

namespace cad {
namespace {

// The format with the host's conversions spelt as glibc wants them.
std::wstring glibc_format(const ACHAR* format) {
  std::wstring out;
  if (!format) return out;
  out.reserve(std::wcslen(format) + 8);
  for (const ACHAR* p = format; *p; ++p) {
    out += *p;
    if (*p != L'%') continue;
    ++p;
    if (*p == L'%') {
      out += *p;
      continue;
    }
    // Flags, width and precision pass as they are.
    while (*p && std::wcschr(L"-+ #0'123456789.*", *p)) out += *p++;
    const ACHAR* const length = p;
    while (*p && std::wcschr(L"hlLqjzt", *p)) ++p;
    if (!*p) break;
    const std::wstring_view length_text(length, static_cast<size_t>(p - length));
    if (*p == L's' || *p == L'c' || *p == L'S' || *p == L'C') {
      const bool narrow = length_text == L"h" || *p == L'S' || *p == L'C';
      if (!narrow) out += L'l';
      out += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(*p)));
      continue;
    }
    out += length_text;
    out += *p;
  }
  return out;
}

// Formats into a wide string; false when the format or an argument cannot be printed.
bool format_wide(const ACHAR* format, va_list args, std::wstring& out) {
  std::wstring fmt = glibc_format(format);
  std::vector<wchar_t> buf(256);
  for (;;) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vswprintf(buf.data(), buf.size(), fmt.c_str(), copy);
    va_end(copy);
    if (n >= 0) {
      out.assign(buf.data(), static_cast<size_t>(n));
      return true;
    }
    // vswprintf does not say how much room it needs; beyond a megabyte the failure is not room.
    if (buf.size() >= (1u << 20)) return false;
    buf.resize(buf.size() * 4);
  }
}

}  // namespace
}  // namespace cad

int acutPrintf(const ACHAR* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text;
  bool ok = cad::format_wide(format, args, text);
  va_end(args);
  if (!ok) return -1;
  cad::host().transcript().print(cad::to_utf8(text));
  return static_cast<int>(text.size());
}

int acutVSPrintf(ACHAR* buf, size_t len, const ACHAR* format, va_list args) {
  if (!buf || len == 0) return -1;
  std::wstring fmt = cad::glibc_format(format);
  return std::vswprintf(buf, len, fmt.c_str(), args);
}

int acedAlert(const ACHAR* text) {
  cad::host().show_alert(cad::to_utf8(text));
  return RTNORM;
}

void acdbFail(const ACHAR* text) {
  cad::Transcript& transcript = cad::host().transcript();
  transcript.print("\n" + cad::to_utf8(text));
  transcript.end_line();
}

void acrx_abort(const ACHAR* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text;
  bool ok = cad::format_wide(format, args, text);
  va_end(args);
  std::string message = ok ? cad::to_utf8(text) : cad::to_utf8(format);
  cad::Host& h = cad::host();
  if (h.command_depth() == 0) {
    // No command to end: the host ends, as the real one always does.
    h.transcript().print(message);
    h.transcript().end_line();
    std::exit(EXIT_FAILURE);
  }
  throw cad::CommandAborted{message};
}
