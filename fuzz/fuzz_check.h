// How a fuzz target reports a broken property: the property, what showed it (bytes outside
// printable ASCII as \xNN), and an abort, so that libFuzzer keeps the input as a crash.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace cad::fuzz {

[[noreturn]] inline void fail(std::string_view property, std::string_view detail = {}) {
  std::fprintf(stderr, "property broken: %.*s\n", static_cast<int>(property.size()),
               property.data());
  if (!detail.empty()) {
    std::fputs("  ", stderr);
    for (char c : detail) {
      const auto b = static_cast<unsigned char>(c);
      if (b >= 0x20 && b < 0x7f)
        std::fputc(c, stderr);
      else
        std::fprintf(stderr, "\\x%02X", b);
    }
    std::fputc('\n', stderr);
  }
  std::abort();
}

inline std::string_view as_text(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace cad::fuzz
