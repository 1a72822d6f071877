// Reading DCL text: tile trees, base tiles, prototypes, lexical details and error messages.
#include "cad/dialogs/dcl.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>

#include "tests/dialogs/dialog_checks.h"

namespace cad {
namespace {

using testing::dialog_of;
using testing::outline;
using testing::parse_error;
using testing::parsed;

// Key, label and value are fields of their own, every other attribute is kept as its text.
TEST(DclTree, NestedClustersKeepTheirOrderTypesLabelsAndAttributes) {
  Tile d = dialog_of(R"(
    d : dialog {
      label = "Title";
      : row {
        : boxed_column { label = "Left"; : edit_box { key = "a"; label = "A"; value = "1"; } }
        : column { : toggle { key = "t"; } : text { label = "note"; } }
      }
      : boxed_radio_row { : radio_button { key = "r1"; } : radio_button { key = "r2"; } }
      : edit_box { key = k; edit_width = 10; width = 2.5; height = -1; fixed_width = true;
                   alignment = centered; is_tab_stop = false; }
    })");
  EXPECT_EQ(outline(d),
            "dialog 'Title' [row [boxed_column 'Left' [edit_box#a 'A'=1], column [toggle#t, text "
            "'note']], boxed_radio_row [radio_button#r1, radio_button#r2], edit_box#k "
            "{alignment=centered} {edit_width=10} {fixed_width=true} {height=-1} "
            "{is_tab_stop=false} {width=2.5}]");
  EXPECT_EQ(d.find("r2"), &d.children[1].children[1]);
  EXPECT_EQ(d.find("missing"), nullptr);
  const Tile& e = d.children.at(2);
  EXPECT_EQ(e.attribute("mnemonic", "none"), "none");
  EXPECT_TRUE(e.flag("fixed_width"));
  EXPECT_FALSE(e.flag("is_tab_stop"));
  EXPECT_FALSE(e.flag("allow_accept"));
}

TEST(DclBaseTiles, EveryBaseTileCanBeUsed) {
  Tile d = dialog_of(R"(d : dialog {
      : row {} : column {} : boxed_row {} : boxed_column {} : radio_row {} : radio_column {}
      : boxed_radio_row {} : boxed_radio_column {} : edit_box {} : text {} : button {}
      : toggle {} : list_box {} : popup_list {} : image {} : slider {} spacer; spacer_0;
      spacer_1; : concatenation { : text_part {} } : paragraph {} errtile; ok_only;
      ok_cancel_help; ok_cancel_help_errtile; ok_cancel; : image_button {}
      : radio_button {} })");
  ASSERT_EQ(d.children.size(), 28u);
  const char* primitives[] = {"row",       "column",       "boxed_row",       "boxed_column",
                              "radio_row", "radio_column", "boxed_radio_row", "boxed_radio_column",
                              "edit_box",  "text",         "button",          "toggle",
                              "list_box",  "popup_list",   "image",           "slider"};
  for (size_t i = 0; i < std::size(primitives); ++i) EXPECT_EQ(d.children[i].type, primitives[i]);
  EXPECT_EQ(d.children[26].type, "image_button");
  EXPECT_EQ(d.children[27].type, "radio_button");
  EXPECT_EQ(d.children[18].type, "spacer");  // spacer_1
  EXPECT_EQ(d.children[18].attribute("width"), "1");
  EXPECT_EQ(d.children[19].children.at(0).type, "text");  // text_part
  const Tile& only = d.children[22];
  ASSERT_NE(only.find("accept"), nullptr);
  EXPECT_TRUE(only.find("accept")->flag("is_cancel")) << "ok_only's one button also cancels";
  EXPECT_NE(d.children[23].find("help"), nullptr);
  for (const char* key : {"accept", "cancel", "help", "error"}) {
    EXPECT_NE(d.children[24].find(key), nullptr) << key;
  }
  // The keys and flags the host relies on.
  const Tile& ok_cancel = d.children[25];
  ASSERT_TRUE(ok_cancel.find("accept") && ok_cancel.find("cancel"));
  EXPECT_TRUE(ok_cancel.find("accept")->flag("is_default"));
  EXPECT_FALSE(ok_cancel.find("cancel")->flag("is_default"));
  EXPECT_TRUE(ok_cancel.find("cancel")->flag("is_cancel"));
  const Tile* error = d.find("error");
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->type, "text");
  EXPECT_TRUE(error->flag("is_error_tile"));
}

// A definition used by name copies its attributes and children; a tile's own attributes win, its
// own children follow the prototypes', later prototypes win over earlier ones, and a definition
// in the file shadows the base tile of its name.
TEST(DclPrototypes, ADefinitionUsedByNameCopiesItsAttributesAndChildren) {
  const std::pair<const char*, const char*> cases[] = {
      {R"(d : dialog {
            : field { key = "a"; label = "A"; }
            : field { key = "b"; edit_width = 4; }
            pair;
          }
          field : edit_box { edit_width = 10; label = "default"; }
          pair : row { : field { key = "p"; } : button { key = "go"; } })",
       "dialog [edit_box#a 'A' {edit_width=10}, edit_box#b 'default' {edit_width=4}, row "
       "[edit_box#p 'default' {edit_width=10}, button#go]]"},
      {R"(base : column { : text { key = "head"; } }
          wide : column { width = 40; label = "wide"; }
          d : dialog { : base : wide { label = "mine"; : text { key = "tail"; } } })",
       "dialog [column 'mine' {width=40} [text#head, text#tail]]"},
      {R"(ok_cancel : row { : button { key = "accept"; label = "Übernehmen"; } }
          d : dialog { ok_cancel; })",
       "dialog [row [button#accept 'Übernehmen']]"},
  };
  for (const auto& [text, tree] : cases) EXPECT_EQ(outline(dialog_of(text)), tree) << text;
}

TEST(DclFileContents, OnlyDefinitionsThatComeDownToDialogAreDialogs) {
  const DclFile file = parsed(R"(
    one : dialog { ok_only; }
    helper : row { }
    two : one { label = "derived"; }
    dcl_settings : default_dcl_settings { audit_level = 3; })");
  ASSERT_EQ(file.dialogs.size(), 2u);
  ASSERT_NE(file.dialog("two"), nullptr);
  EXPECT_EQ(file.dialog("two")->label, "derived");
  EXPECT_NE(file.dialog("two")->find("accept"), nullptr);
  EXPECT_EQ(file.dialog("helper"), nullptr);
  EXPECT_EQ(file.dialog("ONE"), nullptr) << "names are case sensitive";
}

// Comments are skipped (and their lines still count), string escapes decoded, a byte order
// mark and UTF-8 text accepted.
TEST(DclLexical, CommentsEscapesByteOrderMarkAndUtf8) {
  const std::pair<const char*, const char*> cases[] = {
      {R"(// leading comment
    /* a block comment
       over lines with { braces } and "quotes" */
    d : dialog { // after a brace
      : text { key = "t"; /* inside */ label = "x // not a comment"; }
    })",
       "x // not a comment"},
      {R"(d : dialog { : text { key = "t"; label = "say \"hi\"\\path\nnext\ttab \q"; } })",
       "say \"hi\"\\path\nnext\ttab \\q"},
      {"\xEF\xBB\xBF"
       R"(d : dialog { : text { key = "t"; label = "Maße – Größe"; } })",
       "Maße – Größe"},
  };
  for (const auto& [text, label] : cases)
    EXPECT_EQ(outline(dialog_of(text)), "dialog [text#t '" + std::string(label) + "']") << text;
  EXPECT_EQ(parse_error("/*\n\n*/\nd : dialog {\n label = 1\n}"),
            "bad.dcl:5: expected ';' after attribute value");
}

TEST(DclLexical, IncludeIsNotedNotFollowed) {
  const DclFile file = parsed("@include \"acad.dcl\"\nd : dialog { ok_only; }");
  ASSERT_EQ(file.notes.size(), 1u);
  EXPECT_EQ(file.notes[0],
            "test.dcl:1: @include \"acad.dcl\" not followed: only the tiles of this "
            "file are used");
  EXPECT_NE(file.dialog("d"), nullptr);
}

// Definitions that cannot be resolved are reported even when unused.
TEST(DclErrors, EachMessageNamesTheLineOfTheFault) {
  const std::pair<const char*, const char*> cases[] = {
      {"d : dialog {\n  label = \"x\"\n  key = \"k\";\n}", "2: expected ';' after attribute value"},
      {"d : dialog {\n\n  ok_cancle;\n}", "3: unknown tile 'ok_cancle'"},
      {"d : dialog {\n  label = \"open;\n}", "2: string not closed before the end of the line"},
      {"d : dialog {\n  /* never\n closed\n}", "2: comment opened here is never closed"},
      {"d : dialog {\n  : row {\n  label = \"x\";\n",
       "2: tile ': row' opened here is never closed with '}'"},
      {"\nd : dialog { label = ; }", "2: expected a value after 'label =', found ';'"},
      {"d dialog { }", "1: expected ':' after the tile name 'd'"},
      {"d : dialog { : { } }", "1: expected a tile name after ':', found '{'"},
      {"d : dialog\n;", "2: expected '{' after ': dialog', found ';'"},
      {"d : dialog { label }", "1: expected '=', ';' or ':' after 'label', found '}'"},
      {"d : dialog { }\n}", "2: expected a tile definition (name : prototype { ... }), found '}'"},
      {"d : dialog {\n width = 10px; }", "2: malformed number '10p'"},
      {"d : dialog {\n # }", "2: unexpected '#'"},
      {"@import \"x\"", "1: unknown directive '@import'"},
      {"a : b { }\nb : a { }\nd : dialog { }", "2: tile 'a' is its own prototype"},
      {"d : dialog { }\nunused : nothing { }", "2: unknown tile 'nothing'"},
      {"d : dialog { }\n\nd : dialog { }", "3: tile 'd' is defined twice"},
  };
  for (const auto& [text, message] : cases)
    EXPECT_EQ(parse_error(text), std::string("bad.dcl:") + message) << text;
}

TEST(DclErrors, HostileNestingAndGrowthEndInAMessage) {
  std::string deep = "d : dialog {";
  for (int i = 0; i < 200; ++i) deep += ": row {";
  deep += std::string(201, '}');
  EXPECT_EQ(parse_error(deep), "bad.dcl:1: tiles nested too deeply");

  // Each level doubles the tree: without a bound this would need 2^40 tiles.
  std::string doubling = "t0 : text { }\n";
  for (int i = 1; i <= 40; ++i) {
    std::string prev = "t" + std::to_string(i - 1);
    doubling += "t" + std::to_string(i) + " : row { " + prev + "; " + prev + "; }\n";
  }
  EXPECT_NE(parse_error(doubling).find("more than 20000 tiles"), std::string::npos);
}

TEST(DclFiles, AMissingFileIsNamedInTheMessage) {
  DclFile file;
  std::string error;
  EXPECT_FALSE(load_dcl("/nonexistent/x.dcl", file, error));
  EXPECT_EQ(error, "/nonexistent/x.dcl: cannot open the file");
}

}  // namespace
}  // namespace cad
