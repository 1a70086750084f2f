#include <gtest/gtest.h>

#include "app/AppFakes.h"
#include "app/Mail.h"

namespace tarnwerk::test {
namespace {

TEST(ArchiveName, ReplacesOnlyTheLastExtension) {
    EXPECT_EQ(ArchiveNameFor("/a/b.c.bmp"), "/a/b.c.zip");
    EXPECT_EQ(ArchiveNameFor("/pics/holiday.bmp"), "/pics/holiday.zip");
}

}  // namespace
}  // namespace tarnwerk::test
