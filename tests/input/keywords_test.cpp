// Keyword short forms and which keyword a reply picks.
#include "cad/input/keywords.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace cad {
namespace {

const std::string kZurueck = "Zur\u00fcck";

TEST(KeywordShortFormTest, IsTheFirstRunOfCapitalsAndDigitsElseTheWholeKeyword) {
  const std::pair<std::string, std::string> cases[] = {{"aUssen", "U"},
                                                       {"LType", "LT"},
                                                       {"2Punkte", "2P"},
                                                       {"3D", "3D"},
                                                       {"eXit", "X"},
                                                       {kZurueck, "Z"},
                                                       {"\u00dcbernehmen", "\u00dc"},
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
  const auto none = std::nullopt;
  const std::vector<Case> short_forms = {
      {kLage, "U", "aUssen"},     {kLage, "uss", "aUssen"}, {kLage, "aussen", "aUssen"},
      {kLage, "abst", "Abstand"}, {kLage, "i", "Innen"},    {kLage, "DIST", "Dist"},
      {kShort, "L", none},        {kShort, "LT", "LType"},  {kShort, "ltyp", "LType"},
      {kShort, "LTypes", none},   {kShort, "2", none},      {kShort, "P", none},
      {kShort, "2p", "2Punkte"},  {kShort, "au", none},     {kShort, "Usx", none},
      {kShort, "", none}};
  // Umlauts fold with their capitals, but not to the bare vowel.
  const std::vector<Case> umlauts = {
      {kUndo, "Z", kZurueck},           {kUndo, "zur\u00fcck", kZurueck},
      {kUndo, "ZUR\u00dcCK", kZurueck}, {kUndo, "zur\u00dc", kZurueck},
      {kUndo, "zuruck", none},          {kUndo, "u", "Undo"}};
  // The whole keyword wins over an earlier short form; else the first keyword wins.
  const std::vector<Case> first = {
      {"Endpunkt End", "end", "End"},       {"Endpunkt End", "e", "Endpunkt"},
      {"Endpunkt End", "endp", "Endpunkt"}, {"Yes Nein No Ja ", "N", "Nein"},
      {"Yes Nein No Ja ", "No", "No"},      {"Yes Nein No Ja ", "j", "Ja"}};
  // A local keyword gives the global one at its position; the underscore asks for global ones
  // only, and without a global list still picks the keyword. A shorter global list leaves the
  // local keyword.
  const std::vector<Case> local = {{kLocal, "J", "Yes"},
                                   {kLocal, "nein", "No"},
                                   {kLocal, "_No", "No"},
                                   {kLocal, "_y", "Yes"},
                                   {kLocal, "No", none},
                                   {kLocal, "_Ja", none},
                                   {kLocal, "_", none},
                                   {"Wahl", "_wahl", "Wahl"},
                                   {"_Hori Ver", "h", "Hori"},
                                   {"_Hori Ver", "_Ver", "Ver"},
                                   {"", "x", none},
                                   {"Ja Nein Vielleicht _Yes No", "v", "Vielleicht"}};
  for (const auto* table : {&short_forms, &umlauts, &first, &local}) {
    for (const Case& c : *table) {
      SCOPED_TRACE(c.list + " / " + c.reply);
      EXPECT_EQ(parse_keyword_match(c.list, c.reply), c.picked);
    }
  }
  EXPECT_EQ(KeywordList(kLage).match("D"), "Dist");
}

}  // namespace
}  // namespace cad
