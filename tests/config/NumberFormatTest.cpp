// The size fields' number patterns, under the separator of the user's locale.
#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <locale>
#include <optional>
#include <string>

#include "config/NumberFormat.h"

namespace tarnwerk {
namespace {

// Sets LC_ALL for one test and puts the old value back.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) {
        if (const char* old = std::getenv("LC_ALL")) old_ = old;
        setenv("LC_ALL", name, 1);
    }
    ~LocaleScope() {
        if (old_) {
            setenv("LC_ALL", old_->c_str(), 1);
        } else {
            unsetenv("LC_ALL");
        }
    }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    std::optional<std::string> old_;
};

bool LocaleExists(const char* name) {
    try {
        std::locale probe(name);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

TEST(NumberFormat, PatternsWithTheFallbackSeparator) {
    const LocaleScope scope("C");
    EXPECT_EQ(ThousandsSeparator(), ",");
    EXPECT_EQ(FormatHashGroup(0), "");
    EXPECT_EQ(FormatHashGroupZero(0), "0");
    EXPECT_EQ(FormatHashGroup(7), "7");
    EXPECT_EQ(FormatHashGroup(999), "999");
    EXPECT_EQ(FormatHashGroup(1000), "1,000");
    EXPECT_EQ(FormatHashGroupZero(1234567), "1,234,567");
    EXPECT_EQ(FormatHashGroup(100000), "100,000");
    EXPECT_EQ(FormatHashGroup(-1234), "-1,234");
    EXPECT_EQ(FormatHashGroupZero(-5), "-5");
    EXPECT_EQ(FormatHashGroup(-100), "-100");
    EXPECT_EQ(FormatHashGroup(std::numeric_limits<int64_t>::min()), "-9,223,372,036,854,775,808");
    EXPECT_EQ(FormatHashGroup(std::numeric_limits<int64_t>::max()), "9,223,372,036,854,775,807");
}

TEST(NumberFormat, UnknownLocaleFallsBackToComma) {
    const LocaleScope scope("xx_NOWHERE.UTF-8");
    EXPECT_EQ(ThousandsSeparator(), ",");
    EXPECT_EQ(FormatHashGroup(4096), "4,096");
}

// The first of the names that this system can load, or nullptr.
const char* InstalledLocale(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (LocaleExists(name)) return name;
    }
    return nullptr;
}

TEST(NumberFormat, GermanLocaleGroupsWithAPoint) {
    const char* name = InstalledLocale({"de_DE.UTF-8", "de_DE.utf8"});
    if (name == nullptr) GTEST_SKIP() << "no German locale installed";
    const LocaleScope scope(name);
    EXPECT_EQ(ThousandsSeparator(), ".");
    EXPECT_EQ(FormatHashGroup(1234567), "1.234.567");
    EXPECT_EQ(FormatHashGroupZero(-1000), "-1.000");
}

TEST(NumberFormat, FrenchLocaleKeepsItsWholeMultiByteSeparator) {
    const char* name = InstalledLocale({"fr_FR.UTF-8", "fr_FR.utf8"});
    if (name == nullptr) GTEST_SKIP() << "no French locale installed";
    const LocaleScope scope(name);
    const std::string separator = ThousandsSeparator();
    // A narrow (no-break) space, encoded in UTF-8: more than one byte, never a fragment.
    EXPECT_TRUE(separator == "\u202F" || separator == "\u00A0") << separator.size() << " bytes";
    EXPECT_EQ(FormatHashGroup(1234567), "1" + separator + "234" + separator + "567");
}

}  // namespace
}  // namespace tarnwerk
