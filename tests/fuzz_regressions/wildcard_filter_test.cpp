// Faults fuzz_wildcard_filter found in matching names, one test each, named after the fault.
#include <gtest/gtest.h>

#include "cad/db/record.h"
#include "cad/select/filter.h"
#include "cad/select/wildcard.h"

namespace cad {
namespace {

// "\xE0\x80\xA3" is '#' written in three bytes, which no valid UTF-8 does. Decoded as '#', it
// became the digit wildcard: a text did not match itself with its special characters quoted.
TEST(WildcardRegression, AnOverlongSequenceIsNoWildcard) {
  const std::string overlong = "M\xE0\x80\xA3";
  EXPECT_TRUE(wildcard_match(overlong, overlong, false));
  EXPECT_FALSE(wildcard_match(overlong, "M5", false));
  // Surrogates and numbers beyond Unicode are bytes of their own too.
  EXPECT_TRUE(wildcard_match("\xED\xA0\x80", "\xED\xA0\x80", false));
  EXPECT_TRUE(wildcard_match("\xF4\x90\x80\x80", "\xF4\x90\x80\x80", false));
}

// Names match a character to the legacy code page byte of its number ("\xC4" to "Ä"), but the
// quicker path of filter items compared bytes: a layer item disagreed with wildcard_match.
TEST(WildcardRegression, ALayerItemOfACharacterBeyondAsciiMatchesAsWildcardsDo) {
  const Record line{"LINE", {Group::text(8, "\xC4")}};
  ASSERT_TRUE(wildcard_match("\xC3\x84,", "\xC4", true));
  EXPECT_TRUE(compile_filter({Group::text(8, "\xC3\x84,")}).matches(line));
  EXPECT_FALSE(compile_filter({Group::text(-4, "!="), Group::text(8, "\xC3\x84")}).matches(line));
}

}  // namespace
}  // namespace cad
