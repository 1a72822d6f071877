// Esc at every prompt of every command of the module: the command line comes back (from a
// prompt the command offers inside another, after that other one), nothing is left drawn but a
// finished cut line, which is kept on purpose, no undo group stays open, and the next command
// works.
#include <map>

#include "tests/support/chain_fixture.h"

namespace {

constexpr const char* kWalls = "LINE\n0,0\n0,10\n\nLINE\n4,0\n4,10\n\nLINE\n10,0\n10,10\n\n";
constexpr const char* kChain = "Dulk\n0,0\n10,0\n25,0\n\n0,-1\n0\n";
const std::string kFirstPrompt = "Schnittlinien<Wahl>\\Schnittlinienpunkt eingeben:";
const std::string kNextPrompt = "Schnittlinienpunkt eingeben:";
const std::string kNoCutLine = "Keine Schnittlinie gezeichnet!";
const std::string kDirection = "Richtung der Masskette <2Punkte>:";
const std::string kPositionEsc =
    "Lage der Hilfslinien durch Punkt, Abstand, Innen,<aUssen>:*Cancel*";
const std::string kBack = "Command: ";

struct EscCase {
  const char* state;
  const char* setup;
  std::string replies;  // the command and its replies
  std::vector<std::string> after;
  size_t cut_lines;  // kept
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
  ASSERT_EQ(script(c.setup), 0) << transcript();
  const std::map<std::string, size_t> before = chain_sizes();
  ASSERT_EQ(script(c.replies), 0) << transcript();
  EXPECT_TRUE(has_run(c.after)) << transcript();
  EXPECT_EQ(lines().back(), kBack) << transcript();
  EXPECT_EQ(chain_sizes(), before);
  EXPECT_EQ(entities(L"POLYLINE").size(), c.cut_lines);
  EXPECT_FALSE(host().undo().group_open() || (short_var(L"UNDOCTL") & 8) != 0);
  ASSERT_EQ(script("Dulk\n0,20\n10,20\n\n0,19\n0\n"), 0) << transcript();
  EXPECT_EQ(chain_sizes().size(), before.size() + 1);
}

std::string dulk(const char* replies) { return std::string("Dulk\n0,0\n10,0\n") + replies; }
std::string autobem(const char* replies) {
  return std::string("AutoBem\n-1,5\n12,5\n\n") + replies;
}

INSTANTIATE_TEST_SUITE_P(
    Prompts, EscTest,
    ::testing::Values(
        EscCase{"DulkPoints", "", dulk("^C\n"), {"3. Bemassungspunkt:*Cancel*", kBack}, 0},
        EscCase{"DulkPosition", "", dulk("\n^C\n"), {kPositionEsc, kBack}, 0},
        EscCase{"DulkReferencePoint",
                "",
                dulk("\nA\n^C\n^C\n"),
                {"Bezugspunkt:*Cancel*", kPositionEsc, kBack},
                0},
        EscCase{"DulkDistance",
                "",
                dulk("\nA\n0,0\n^C\n^C\n"),
                {"Abstand:*Cancel*", kPositionEsc, kBack},
                0},
        EscCase{"DulkDistanceDirection",
                "",
                dulk("\nA\n0,0\n5\n^C\n^C\n"),
                {"Richtung:*Cancel*", kPositionEsc, kBack},
                0},
        EscCase{"DulkPickInside",
                "",
                dulk("\nI\n^C\n^C\n"),
                {"Bemassung waehlen:*Cancel*", kPositionEsc, kBack},
                0},
        EscCase{"DulkPickOutside",
                "",
                dulk("\n\n^C\n^C\n"),
                {"Bemassung waehlen:*Cancel*", kPositionEsc, kBack},
                0},
        EscCase{"DulkDirection", "", dulk("\n0,-1\n^C\n"), {kDirection + "*Cancel*", kBack}, 0},
        EscCase{"DulkFirstPoint", "", dulk("\n0,-1\n\n^C\n"), {"1. Punkt:*Cancel*", kBack}, 0},
        EscCase{
            "DulkSecondPoint", "", dulk("\n0,-1\n\n0,0\n^C\n"), {"2. Punkt:*Cancel*", kBack}, 0},
        EscCase{"DulkPositionAfterGoingBack",
                "",
                dulk("\n0,-1\nZurück\n^C\n"),
                {kDirection + "Zurück", kPositionEsc, kBack},
                0},
        EscCase{"DulkSide", "", dulk("\n0,0\n0\n^C\n"), {"Masslinie auf Seite:*Cancel*", kBack}, 0},
        EscCase{"AutoBemFirstPoint",
                kWalls,
                "AutoBem\n^C\n",
                {kFirstPrompt + "*Cancel*", kNoCutLine, kBack},
                0},
        EscCase{"AutoBemChoice",
                kWalls,
                "AutoBem\nWahl\n^C\n",
                {"Select objects: *Cancel*", kNoCutLine, kBack},
                0},
        // Enter asks again for the second point, Esc gives the unfinished line up.
        EscCase{"AutoBemSecondPoint",
                kWalls,
                "AutoBem\n-1,5\n\n^C\n",
                {kNextPrompt, kNextPrompt + "*Cancel*", kNoCutLine, kBack},
                0},
        // From the third point on Esc finishes the line, as Enter does.
        EscCase{"AutoBemFurtherPoint",
                kWalls,
                "AutoBem\n-1,5\n12,5\n^C\n^C\n",
                {kNextPrompt + "*Cancel*", "Es wurden 3 Objekte und 3 Schnittpunkte gefunden !",
                 kPositionEsc, kBack},
                1},
        EscCase{"AutoBemPosition", kWalls, autobem("^C\n"), {kPositionEsc, kBack}, 1},
        EscCase{"AutoBemReferencePoint",
                kWalls,
                autobem("A\n^C\n^C\n"),
                {"Bezugspunkt:*Cancel*", kPositionEsc, kBack},
                1},
        EscCase{"AutoBemPick",
                kWalls,
                autobem("\n^C\n^C\n"),
                {"Bemassung waehlen:*Cancel*", kPositionEsc, kBack},
                1},
        EscCase{
            "AutoBemDirection", kWalls, autobem("0,2\n^C\n"), {kDirection + "*Cancel*", kBack}, 1},
        EscCase{"AutoBemFirstPointOfDirection",
                kWalls,
                autobem("0,2\n\n^C\n"),
                {"1. Punkt:*Cancel*", kBack},
                1},
        EscCase{"AutoBemSecondPointOfDirection",
                kWalls,
                autobem("0,2\n\n0,0\n^C\n"),
                {"2. Punkt:*Cancel*", kBack},
                1},
        // The crossings lie on the line through the position: the side is asked.
        EscCase{"AutoBemSide",
                kWalls,
                autobem("0,5\n0\n^C\n"),
                {"Masslinie auf Seite:*Cancel*", kBack},
                1},
        EscCase{
            "BemAddPoints", kChain, "BemAdd\n^C\n", {"1. Punkt zum hinzufügen:*Cancel*", kBack}, 0},
        EscCase{"BemAddChains",
                kChain,
                "BemAdd\n40,0\n\n^C\n",
                {"Bemassungskette waehlen", "Select objects: *Cancel*", kBack},
                0},
        EscCase{
            "BemDelChain", kChain, "BemDel\n^C\n", {"Bemassungskette waehlen*Cancel*", kBack}, 0},
        EscCase{"BemDelPoints",
                kChain,
                "BemDel\n5,-1.2\n^C\n",
                {"1. Punkt zum entfernen:*Cancel*", kBack},
                0},
        EscCase{"BemUpd", kChain, "BemUpd\n^C\n", {"Select objects: *Cancel*", kBack}, 0},
        EscCase{"BemDia", kChain, "BemDia\n^C\n", {"Command: BemDia", kBack}, 0}),
    [](const ::testing::TestParamInfo<EscCase>& info) { return info.param.state; });

}  // namespace
