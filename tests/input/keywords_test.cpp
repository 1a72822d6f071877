// Keyword short forms and which keyword a reply picks.
#include "cad/input/keywords.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace cad {
namespace {

const std::string kZurueck =
    "Zur\xC3\xBC"
    "ck";

TEST(KeywordShortFormTest, IsTheFirstRunOfCapitalsAndDigitsElseTheWholeKeyword) {
  const std::vector<std::pair<std::string, std::string>> cases = {{"aUssen", "U"},
                                                                  {"LType", "LT"},
                                                                  {"2Punkte", "2P"},
                                                                  {"3D", "3D"},
                                                                  {"eXit", "X"},
                                                                  {kZurueck, "Z"},
                                                                  {"\xC3\x9C"
                                                                   "bernehmen",
                                                                   "\xC3\x9C"},
                                                                  {"ReDo", "R"},
                                                                  {"wahl", "wahl"},
                                                                  {"123", "123"}};
  for (const auto& [keyword, short_form] : cases) {
    EXPECT_EQ(keyword_short_form(keyword), short_form) << keyword;
  }
}

TEST(KeywordMatchTest, PicksByShortFormOrAnyLongerPartAndRefusesTheRest) {
  struct Case {
    std::string list;
    std::string reply;
    std::optional<std::string> picked;
  };
  const std::string kLage = "aUssen Abstand Innen Dist";
  const std::string kShort = "LType 2Punkte aUssen";
  const std::string kUndo = kZurueck + " Undo";
  const std::string kLocal = "Ja Nein _Yes No";
  const std::vector<Case> cases = {
      {kLage, "U", "aUssen"},
      {kLage, "uss", "aUssen"},
      {kLage, "aussen", "aUssen"},
      {kLage, "abst", "Abstand"},
      {kLage, "i", "Innen"},
      {kLage, "DIST", "Dist"},
      {kShort, "L", std::nullopt},
      {kShort, "LT", "LType"},
      {kShort, "ltyp", "LType"},
      {kShort, "LTypes", std::nullopt},
      {kShort, "2", std::nullopt},
      {kShort, "P", std::nullopt},
      {kShort, "2p", "2Punkte"},
      {kShort, "au", std::nullopt},
      {kShort, "Usx", std::nullopt},
      {kShort, "", std::nullopt},
      // Umlauts fold with their capitals, but not to the bare vowel.
      {kUndo, "Z", kZurueck},
      {kUndo,
       "zur\xC3\xBC"
       "ck",
       kZurueck},
      {kUndo,
       "ZUR\xC3\x9C"
       "CK",
       kZurueck},
      {kUndo, "zur\xC3\x9C", kZurueck},
      {kUndo, "zuruck", std::nullopt},
      {kUndo, "u", "Undo"},
      // The whole keyword wins over an earlier short form; else the first keyword wins.
      {"Endpunkt End", "end", "End"},
      {"Endpunkt End", "e", "Endpunkt"},
      {"Endpunkt End", "endp", "Endpunkt"},
      {"Yes Nein No Ja ", "N", "Nein"},
      {"Yes Nein No Ja ", "No", "No"},
      {"Yes Nein No Ja ", "j", "Ja"},
      // A local keyword gives the global one at its position; the underscore asks for global
      // ones only.
      {kLocal, "J", "Yes"},
      {kLocal, "nein", "No"},
      {kLocal, "_No", "No"},
      {kLocal, "_y", "Yes"},
      {kLocal, "No", std::nullopt},
      {kLocal, "_Ja", std::nullopt},
      {kLocal, "_", std::nullopt},
      // Without a global list the underscore still picks the keyword.
      {"Wahl", "_wahl", "Wahl"},
      {"_Hori Ver", "h", "Hori"},
      {"_Hori Ver", "_Ver", "Ver"},
      {"", "x", std::nullopt},
      // A shorter global list leaves the local keyword.
      {"Ja Nein Vielleicht _Yes No", "v", "Vielleicht"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list + " / " + c.reply);
    EXPECT_EQ(parse_keyword_match(c.list, c.reply), c.picked);
  }
  EXPECT_EQ(KeywordList(kLage).match("D"), "Dist");
}

}  // namespace
}  // namespace cad
