// Text of DXF files: up to AC1018 the code page named by $DWGCODEPAGE, from AC1021 UTF-8, and in
// every version \U+XXXX escapes for characters the code page cannot hold. The drawing keeps UTF-8;
// this codec converts at the file's edge in both directions.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cad {

class TextCodec {
 public:
  // Starts as ANSI_1252, the code page of files that name none.
  TextCodec();
  ~TextCodec();
  TextCodec(const TextCodec&) = delete;
  TextCodec& operator=(const TextCodec&) = delete;

  // Switches to a code page as $DWGCODEPAGE names it ("ANSI_1252", "dos850", "dos932"); case is
  // ignored. False (and ANSI_1252 kept) when the name is unknown or the system cannot convert it.
  bool set_code_page(std::string_view name);
  void set_utf8();
  bool utf8() const { return utf8_; }

  // Appends the file's bytes as UTF-8, \U+XXXX escapes turned into characters. Bytes the code page
  // does not define (in UTF-8, bytes of no valid sequence) become the character of the same
  // number, so no byte is dropped and the drawing holds valid UTF-8 only. ASCII files
  // write control characters in caret form (^J for a line feed, "^ " for a caret): carets says
  // to turn them back.
  void decode(std::string_view bytes, std::string& out, bool carets) const;
  // Text that neither decoding nor encoding changes (printable ASCII without \ and ^), in every
  // code page.
  static bool plain(std::string_view s) {
    // Words of eight bytes, as the reader asks this of most of a file's text: the words of a
    // text and its last eight bytes, or for a shorter text its first and last four or two bytes
    // (overlapping) filled up with plain letters.
    const char* p = s.data();
    const size_t n = s.size();
    if (n >= 8) {
      for (size_t k = 0; k + 8 <= n; k += 8)
        if (!plain_word(load<uint64_t>(p + k))) return false;
      return plain_word(load<uint64_t>(p + n - 8));
    }
    constexpr uint64_t kLetters = 0x4141414141414141;  // "AAAAAAAA"
    if (n >= 4) return plain_word(load<uint32_t>(p) | uint64_t{load<uint32_t>(p + n - 4)} << 32);
    if (n >= 2)
      return plain_word(load<uint16_t>(p) | uint64_t{load<uint16_t>(p + n - 2)} << 16 |
                        kLetters << 32);
    return n == 0 || plain_word(static_cast<unsigned char>(p[0]) | kLetters << 8);
  }
  // Appends UTF-8 text as the bytes of a file: control characters and carets in caret form
  // (ASCII files; binary files, whose texts end in a zero byte, take them as they are),
  // characters the code page cannot hold as \U+XXXX (a surrogate pair above U+FFFF).
  void encode(std::string_view utf8, std::string& out, bool carets = true) const;

 private:
  template <typename T>
  static T load(const char* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
  }
  // Whether all eight bytes of w are printable ASCII other than \ and ^. For a word w,
  // (w - ones * n) & ~w & high is nonzero when one of its bytes is below n (n <= 128), and the
  // bytes equal to c are the zero bytes of w ^ (ones * c).
  static bool plain_word(uint64_t w) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kHigh = 0x8080808080808080;
    auto below = [](uint64_t v, uint64_t n) { return (v - kOnes * n) & ~v & kHigh; };
    return ((w & kHigh) | below(w, 0x20) | below(w ^ (kOnes * '\\'), 1) |
            below(w ^ (kOnes * '^'), 1)) == 0;
  }
  void close();
  void decode_multibyte(std::string_view bytes, std::string& out) const;
  void decode_multibyte_iconv(std::string_view bytes, std::string& out) const;
  bool encode_multibyte(char32_t c, std::string& out) const;

  bool utf8_ = false;
  // Single-byte code pages convert through tables built from iconv once for the process; the
  // table of the code page in use, null for a multi-byte one.
  struct ByteTable {
    std::array<std::array<char, 4>, 128> high{};        // UTF-8 of bytes 0x80-0xFF, NUL-padded
    std::vector<std::pair<char32_t, uint8_t>> reverse;  // sorted by character
  };
  // False when the system cannot convert the code page; table null for a multi-byte one.
  static bool byte_table(const std::string& iconv_name, const ByteTable*& table);
  static std::unique_ptr<const ByteTable> build_table(void* to_utf8);
  const ByteTable* table_ = nullptr;
  // Multi-byte code pages (dos932) go through iconv for every non-ASCII piece.
  void* to_utf8_ = nullptr;
  void* from_utf8_ = nullptr;
  // What iconv makes of the byte 0x5C where that is no backslash (JOHAB's won sign), empty
  // elsewhere: the host's code pages, like the real host's, read it as the backslash that begins
  // \U+XXXX and the multiline-text codes.
  std::string backslash_;
};

// The caret form of control characters in ASCII files, for text and for the handle and binary
// groups alike: "^@" to "^_" are the characters 0 to 31 and "^ " is a caret; decoding leaves any
// other caret as it is.
void caret_decode(std::string_view text, std::string& out);
void caret_encode(std::string_view text, std::string& out);

}  // namespace cad
