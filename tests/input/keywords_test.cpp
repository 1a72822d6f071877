// Keyword short forms and which keyword a reply picks.
#include "cad/input/keywords.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace cad {
namespace {

using Picked = std::optional<std::string>;

TEST(KeywordShortFormTest, IsTheFirstRunOfCapitalsAndDigits) {
  EXPECT_EQ(keyword_short_form("aUssen"), "U");
  EXPECT_EQ(keyword_short_form("LType"), "LT");
  EXPECT_EQ(keyword_short_form("2Punkte"), "2P");
  EXPECT_EQ(keyword_short_form("3D"), "3D");
  EXPECT_EQ(keyword_short_form("Abstand"), "A");
  EXPECT_EQ(keyword_short_form("Dist"), "D");
  EXPECT_EQ(keyword_short_form("eXit"), "X");
  EXPECT_EQ(keyword_short_form("Zur\xC3\xBC"
                               "ck"),
            "Z");
  EXPECT_EQ(keyword_short_form("\xC3\x9C"
                               "bernehmen"),
            "\xC3\x9C");
  EXPECT_EQ(keyword_short_form("ReDo"), "R");
}

TEST(KeywordShortFormTest, KeywordWithoutCapitalsIsItsOwnShortForm) {
  EXPECT_EQ(keyword_short_form("wahl"), "wahl");
  EXPECT_EQ(keyword_short_form("123"), "123");
}

TEST(KeywordMatchTest, ShortFormAndAnyLongerPartOfTheKeyword) {
  const KeywordList list("aUssen Abstand Innen Dist");
  EXPECT_EQ(list.match("U"), Picked("aUssen"));
  EXPECT_EQ(list.match("uss"), Picked("aUssen"));
  EXPECT_EQ(list.match("Ussen"), Picked("aUssen"));
  EXPECT_EQ(list.match("aussen"), Picked("aUssen"));
  EXPECT_EQ(list.match("A"), Picked("Abstand"));
  EXPECT_EQ(list.match("abst"), Picked("Abstand"));
  EXPECT_EQ(list.match("i"), Picked("Innen"));
  EXPECT_EQ(list.match("D"), Picked("Dist"));
  EXPECT_EQ(list.match("DIST"), Picked("Dist"));
}

TEST(KeywordMatchTest, RefusesWhatIsShorterThanTheShortFormOrRunsOff) {
  const KeywordList list("LType 2Punkte aUssen");
  EXPECT_EQ(list.match("L"), std::nullopt);
  EXPECT_EQ(list.match("LT"), Picked("LType"));
  EXPECT_EQ(list.match("ltyp"), Picked("LType"));
  EXPECT_EQ(list.match("LTypes"), std::nullopt);
  EXPECT_EQ(list.match("2"), std::nullopt);
  EXPECT_EQ(list.match("P"), std::nullopt);
  EXPECT_EQ(list.match("2p"), Picked("2Punkte"));
  EXPECT_EQ(list.match("a"), std::nullopt);
  EXPECT_EQ(list.match("au"), std::nullopt);
  EXPECT_EQ(list.match("Usx"), std::nullopt);
  EXPECT_EQ(list.match(""), std::nullopt);
}

TEST(KeywordMatchTest, UmlautsFoldWithTheirCapitals) {
  const KeywordList list(
      "Zur\xC3\xBC"
      "ck Undo");
  EXPECT_EQ(list.match("Z"), Picked("Zur\xC3\xBC"
                                    "ck"));
  EXPECT_EQ(list.match("zur\xC3\xBC"
                       "ck"),
            Picked("Zur\xC3\xBC"
                   "ck"));
  EXPECT_EQ(list.match("ZUR\xC3\x9C"
                       "CK"),
            Picked("Zur\xC3\xBC"
                   "ck"));
  EXPECT_EQ(list.match("zur\xC3\x9C"), Picked("Zur\xC3\xBC"
                                              "ck"));
  EXPECT_EQ(list.match("zuruck"), std::nullopt);
  EXPECT_EQ(list.match("u"), Picked("Undo"));
}

TEST(KeywordMatchTest, WholeKeywordWinsOverAnEarlierShortForm) {
  const KeywordList list("Endpunkt End");
  EXPECT_EQ(list.match("end"), Picked("End"));
  EXPECT_EQ(list.match("e"), Picked("Endpunkt"));
  EXPECT_EQ(list.match("endp"), Picked("Endpunkt"));
}

TEST(KeywordMatchTest, FirstKeywordWinsAmongShortForms) {
  const KeywordList list("Yes Nein No Ja ");
  EXPECT_EQ(list.match("N"), Picked("Nein"));
  EXPECT_EQ(list.match("No"), Picked("No"));
  EXPECT_EQ(list.match("j"), Picked("Ja"));
  EXPECT_EQ(list.match("Y"), Picked("Yes"));
}

TEST(KeywordMatchTest, LocalKeywordGivesTheGlobalOneAtItsPosition) {
  const KeywordList list("Ja Nein _Yes No");
  EXPECT_EQ(list.match("J"), Picked("Yes"));
  EXPECT_EQ(list.match("nein"), Picked("No"));
  EXPECT_EQ(list.match("_No"), Picked("No"));
  EXPECT_EQ(list.match("_y"), Picked("Yes"));
  // Without the underscore only local keywords count, and with it only global ones.
  EXPECT_EQ(list.match("No"), std::nullopt);
  EXPECT_EQ(list.match("_Ja"), std::nullopt);
  EXPECT_EQ(list.match("_"), std::nullopt);
}

TEST(KeywordMatchTest, WithoutGlobalListUnderscoreStillPicksTheKeyword) {
  EXPECT_EQ(parse_keyword_match("Wahl", "_wahl"), Picked("Wahl"));
  EXPECT_EQ(parse_keyword_match("_Hori Ver", "h"), Picked("Hori"));
  EXPECT_EQ(parse_keyword_match("_Hori Ver", "_Ver"), Picked("Ver"));
  EXPECT_EQ(parse_keyword_match("", "x"), std::nullopt);
}

TEST(KeywordMatchTest, ShorterGlobalListLeavesTheLocalKeyword) {
  EXPECT_EQ(parse_keyword_match("Ja Nein Vielleicht _Yes No", "v"), Picked("Vielleicht"));
}

}  // namespace
}  // namespace cad
