// Esc at every prompt of every command of the module: the command line comes back (from a
// prompt the command offers inside another, after that other one), nothing is left drawn but a
// finished cut line, which is kept on purpose, no undo group stays open, and the next command
// works.
#include <map>

#include "tests/support/case_file.h"
#include "tests/support/chain_fixture.h"

namespace {

const std::string kCut = "Schnittlinienpunkt eingeben:";
const std::string kNoCutLine = "Keine Schnittlinie gezeichnet!";
const std::string kDirection = "Richtung der Masskette <2Punkte>:";
const std::string kPositionEsc =
    "Lage der Hilfslinien durch Punkt, Abstand, Innen,<aUssen>:*Cancel*";
// The command and its replies, one after each "|"; AutoBem runs beside three walls, BemAdd,
// BemDel, BemUpd and BemDia beside a chain.
const std::string kDulk = "Dulk|0,0|10,0|";
const std::string kAutoBem = "AutoBem|-1,5|12,5||";

struct EscCase {
  const char* state;
  std::string replies;
  std::vector<std::string> after;  // the lines before the command line comes back
  size_t cut_lines = 0;            // kept
};

void PrintTo(const EscCase& c, std::ostream* out) { *out << c.state; }

class EscTest : public ChainFixture, public ::testing::WithParamInterface<EscCase> {
 protected:
  std::map<std::string, size_t> chain_sizes() const {
    std::map<std::string, size_t> sizes;
    for (const auto& [name, dims] : chains()) sizes[name] = dims.size();
    return sizes;
  }
};

TEST_P(EscTest, LeadsBackToTheCommandLineAndLeavesNothingDrawn) {
  const EscCase& c = GetParam();
  const std::string setup = c.replies.starts_with("AutoBem")
                                ? "LINE|0,0|0,10||LINE|4,0|4,10||LINE|10,0|10,10||"
                            : c.replies.starts_with("Bem") ? "Dulk|0,0|10,0|25,0||0,-1|0|"
                                                           : "";
  ASSERT_EQ(script(cad::testing::replace_all(setup, "|", "\n")), 0) << transcript();
  const std::map<std::string, size_t> before = chain_sizes();
  ASSERT_EQ(script(cad::testing::replace_all(c.replies, "|", "\n") + "\n"), 0) << transcript();
  std::vector<std::string> after = c.after;
  after.push_back("Command:");
  EXPECT_TRUE(has_run(after)) << transcript();
  EXPECT_EQ(lines().back(), "Command:") << transcript();
  EXPECT_EQ(chain_sizes(), before);
  EXPECT_EQ(entities(L"POLYLINE").size(), c.cut_lines);
  EXPECT_FALSE(host().undo().group_open() || (short_var(L"UNDOCTL") & 8) != 0);
  ASSERT_EQ(script("Dulk\n0,20\n10,20\n\n0,19\n0\n"), 0) << transcript();
  EXPECT_EQ(chain_sizes().size(), before.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Prompts, EscTest,
    ::testing::Values(
        EscCase{"DulkPoints", kDulk + "^C", {"3. Bemassungspunkt:*Cancel*"}},
        EscCase{"DulkPosition", kDulk + "|^C", {kPositionEsc}},
        EscCase{"DulkReferencePoint", kDulk + "|A|^C|^C", {"Bezugspunkt:*Cancel*", kPositionEsc}},
        EscCase{"DulkDistance", kDulk + "|A|0,0|^C|^C", {"Abstand:*Cancel*", kPositionEsc}},
        EscCase{
            "DulkDistanceDirection", kDulk + "|A|0,0|5|^C|^C", {"Richtung:*Cancel*", kPositionEsc}},
        EscCase{"DulkPickInside", kDulk + "|I|^C|^C", {"Bemassung waehlen:*Cancel*", kPositionEsc}},
        EscCase{"DulkPickOutside", kDulk + "||^C|^C", {"Bemassung waehlen:*Cancel*", kPositionEsc}},
        EscCase{"DulkDirection", kDulk + "|0,-1|^C", {kDirection + "*Cancel*"}},
        EscCase{"DulkFirstPoint", kDulk + "|0,-1||^C", {"1. Punkt:*Cancel*"}},
        EscCase{"DulkSecondPoint", kDulk + "|0,-1||0,0|^C", {"2. Punkt:*Cancel*"}},
        EscCase{"DulkPositionAfterGoingBack",
                kDulk + "|0,-1|Zurück|^C",
                {kDirection + "Zurück", kPositionEsc}},
        EscCase{"DulkSide", kDulk + "|0,0|0|^C", {"Masslinie auf Seite:*Cancel*"}},
        EscCase{"AutoBemFirstPoint",
                "AutoBem|^C",
                {"Schnittlinien<Wahl>\\" + kCut + "*Cancel*", kNoCutLine}},
        EscCase{"AutoBemChoice", "AutoBem|Wahl|^C", {"Select objects: *Cancel*", kNoCutLine}},
        // Enter asks again for the second point, Esc gives the unfinished line up.
        EscCase{"AutoBemSecondPoint", "AutoBem|-1,5||^C", {kCut, kCut + "*Cancel*", kNoCutLine}},
        // From the third point on Esc finishes the line, as Enter does.
        EscCase{
            "AutoBemFurtherPoint",
            "AutoBem|-1,5|12,5|^C|^C",
            {kCut + "*Cancel*", "Es wurden 3 Objekte und 3 Schnittpunkte gefunden !", kPositionEsc},
            1},
        EscCase{"AutoBemPosition", kAutoBem + "^C", {kPositionEsc}, 1},
        EscCase{"AutoBemReferencePoint",
                kAutoBem + "A|^C|^C",
                {"Bezugspunkt:*Cancel*", kPositionEsc},
                1},
        EscCase{
            "AutoBemPick", kAutoBem + "|^C|^C", {"Bemassung waehlen:*Cancel*", kPositionEsc}, 1},
        EscCase{"AutoBemDirection", kAutoBem + "0,2|^C", {kDirection + "*Cancel*"}, 1},
        EscCase{"AutoBemFirstPointOfDirection", kAutoBem + "0,2||^C", {"1. Punkt:*Cancel*"}, 1},
        EscCase{
            "AutoBemSecondPointOfDirection", kAutoBem + "0,2||0,0|^C", {"2. Punkt:*Cancel*"}, 1},
        // The crossings lie on the line through the position: the side is asked.
        EscCase{"AutoBemSide", kAutoBem + "0,5|0|^C", {"Masslinie auf Seite:*Cancel*"}, 1},
        EscCase{"BemAddPoints", "BemAdd|^C", {"1. Punkt zum hinzufügen:*Cancel*"}},
        EscCase{"BemAddChains",
                "BemAdd|40,0||^C",
                {"Bemassungskette waehlen", "Select objects: *Cancel*"}},
        EscCase{"BemDelChain", "BemDel|^C", {"Bemassungskette waehlen*Cancel*"}},
        EscCase{"BemDelPoints", "BemDel|5,-1.2|^C", {"1. Punkt zum entfernen:*Cancel*"}},
        EscCase{"BemUpd", "BemUpd|^C", {"Select objects: *Cancel*"}},
        EscCase{"BemDia", "BemDia|^C", {"Command: BemDia"}}),
    [](const ::testing::TestParamInfo<EscCase>& info) { return info.param.state; });

}  // namespace
