// Wildcard patterns of the host, as selection filters, table searches and xdata application
// names use them.
#pragma once

#include <string_view>

namespace cad {

// Whether UTF-8 text matches a pattern. A character is one code point (bytes that are not valid
// UTF-8 count one each). The rules:
//   *      any run of characters, the empty run included
//   ?      exactly one character
//   #      one digit (0-9)
//   @      one letter: an ASCII letter, or a character beyond ASCII other than the Latin-1
//          signs (U+0080-U+00BF, U+00D7, U+00F7) and the punctuation and symbol blocks
//          (U+2000-U+2BFF, U+3000-U+303F)
//   .      one character that is neither letter nor digit
//   [...]  one of the enclosed characters; [~...] one that is not; a-z inside is a range. Inside
//          the brackets every character is literal; a ] right after [ or [~ is a member, a -
//          first or last is a member, a range from high to low holds nothing. A [ without
//          its ] is a literal [.
//   `c     the character c itself (a back quote at the very end is a literal back quote)
//   ,      separates alternatives: the text matches when any of them matches
//   ~      first in the pattern: the pattern matches what the rest (all its alternatives) does
//          not; anywhere else it is a literal ~
// Any other character matches itself; with ignore_case ASCII letters match either case, also
// in ranges. An empty pattern matches only the empty text.
bool wildcard_match(std::string_view pattern, std::string_view text, bool ignore_case);

// Whether the text holds characters that make wildcard_match differ from a plain comparison
// (it may answer true where the difference does not show, as for an unclosed [).
bool wildcard_has_special(std::string_view text);

}  // namespace cad
