// Text contents as they are drawn: the control codes of single-line text (TEXT, ATTRIB, ATTDEF)
// and the inline formatting codes of MTEXT, which dimension texts use too, resolved into plain
// UTF-8 and runs of one height and one vertical alignment.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cad {

// Single-line text: %%c %%d %%p become Ø ° ±, %%% a percent sign, %%nnn (three digits) that
// character, \U+XXXX that character; %%u %%o %%k (underline, overline, strike-through switches)
// are dropped. Anything else, a lone %% included, stays as it is.
std::string decode_text(std::string_view text);

// Where a run sits in its line when it is lower than the line (\A0, \A1, \A2).
enum class RunAlignment { kBottom, kCenter, kTop };

struct TextRun {
  std::string text;  // UTF-8, codes resolved
  double height = 0;
  RunAlignment alignment = RunAlignment::kBottom;

  bool operator==(const TextRun&) const = default;
};

using TextLine = std::vector<TextRun>;

// MTEXT contents as lines (\P, also \X and \N, which dimension texts and columns use) of runs;
// neighbouring characters with the same height and alignment share one run, and an empty line
// has no runs. Codes are read with or without their closing ";":
//   \A0 \A1 \A2        alignment of the following runs in the line (bottom, center, top)
//   \Hn \Hnx           height n, or n times the current height ("\H0.6x5" is a smaller "5")
//   \S a^b; \Sa/b; \Sa#b;   a stacked fraction, drawn as a/b
//   \\ \{ \}  \~        a backslash, braces, a non-breaking space; \U+XXXX that character
//   { }                 keep the height and alignment of what they enclose to themselves
//   \f..; \F..; \p..; \C \c \W \Q \T (with their values) and \L \l \O \o \K \k   ignored
// plus the %% codes of decode_text. An unknown code stays as it is, backslash included.
std::vector<TextLine> parse_mtext(std::string_view contents, double height);

// How far plain UTF-8 text advances, in multiples of its height (a text height is a cap height),
// character by character as DejaVu Sans, the sans-serif face of the pictures, advances: digits
// 0.87, a point 0.44, capitals about 1. Characters past ASCII count as an average letter.
double text_advance(std::string_view text);

}  // namespace cad
