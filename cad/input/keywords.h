// Keyword lists of acedInitGet and how a reply picks a keyword from them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

// The short form of a keyword: the first run of upper-case letters and digits that holds an
// upper-case letter ("aUssen" -> "U", "LType" -> "LT", "2Punkte" -> "2P", "Zurück" -> "Z",
// "3D" -> "3D"). A keyword without an upper-case letter has no shorter form: it is its own
// short form. Upper case: A-Z and the Latin-1 capitals (Ä, Ö, Ü...).
std::string keyword_short_form(std::string_view keyword);

// A keyword list as acedInitGet takes it: keywords separated by blanks; the first one written
// with a leading "_" begins the global (language-independent) keywords, which pair with the local
// ones by position ("Ja Nein _Yes No").
class KeywordList {
 public:
  explicit KeywordList(std::string_view list);
  // The keywords are views into the list's own copy.
  KeywordList(const KeywordList&) = delete;
  KeywordList& operator=(const KeywordList&) = delete;

  // The keyword a reply picks, as acedGetInput then gives it, or nullopt. A reply picks a
  // keyword when it is the whole keyword, or when it begins where the short form begins and runs
  // on through the keyword at least as far as the short form ("U", "uss", "Ussen" or "aussen" for
  // "aUssen"; "zurück" and "ZURÜCK" for "Zurück"); case does not matter (ASCII and Latin-1
  // letters). A whole keyword wins over a short form; otherwise the first in the list wins.
  // A reply beginning with "_" picks among the global keywords (the local ones when there is no
  // global list) and gives that keyword. Any other reply picks among the local keywords and gives
  // the global keyword at the same position, or the local keyword when there is none there.
  std::optional<std::string> match(std::string_view reply) const;

 private:
  std::string list_;
  std::vector<std::string_view> local_;
  std::vector<std::string_view> global_;
};

// KeywordList(keywords).match(reply).
std::optional<std::string> parse_keyword_match(std::string_view keywords, std::string_view reply);

}  // namespace cad
