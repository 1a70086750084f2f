#include <gtest/gtest.h>

#include "app/AppFakes.h"
#include "app/PassphraseRules.h"

namespace tarnwerk::test {
namespace {

TEST(PassphraseRules, RatesByLengthAndCharacterClasses) {
    EXPECT_EQ(PassphraseQuality("abc"), 6);
    EXPECT_EQ(PassphraseQuality("Abc1"), 96);
    EXPECT_EQ(PassphraseQuality("Abc1!"), 600);
    EXPECT_EQ(PassphraseQuality("\xC3\x9F\xC3\x9F\xC3\x9F"), 3);  // three sharp s: no class
}

}  // namespace
}  // namespace tarnwerk::test
