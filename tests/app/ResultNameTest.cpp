// The name proposed for a hide's result beside the original: the first free "-N" before the
// extension.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "app/ResultName.h"
#include "support/TempDir.h"

namespace tarnwerk {
namespace {

TEST(ProposeResultName, NumbersTheNameBeforeItsLastExtension) {
    const struct {
        const char* carrier;
        std::set<std::string> taken;
        const char* proposed;
    } rows[] = {
        {"/p/photo.png", {}, "/p/photo-1.png"},
        {"/p/photo.png", {"/p/photo-1.png"}, "/p/photo-2.png"},
        {"/p/photo.png", {"/p/photo-1.png", "/p/photo-2.png", "/p/photo-4.png"}, "/p/photo-3.png"},
        {"/p/photo.BMP", {"/p/photo-1.bmp"}, "/p/photo-1.BMP"},  // names are case-sensitive
        {"/p/a.tar.gz", {}, "/p/a.tar-1.gz"},
        {"/p/scan", {}, "/p/scan-1"},
        {"/p.d/scan", {}, "/p.d/scan-1"},  // a dot in the folder is no extension
        {"/p/.hidden", {}, "/p/.hidden-1"},
        {"photo.raw", {}, "photo-1.raw"},
        {"/p/my photo .png", {}, "/p/my photo -1.png"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ProposeResultName(row.carrier, [&](const std::string& path) { return row.taken.count(path) > 0; }),
                  row.proposed)
            << row.carrier;
    }
    // A folder full of numbered copies ends the search; the dialog asks before replacing.
    EXPECT_EQ(ProposeResultName("/p/x.png", [](const std::string&) { return true; }), "/p/x-1.png");
}

TEST(ProposeResultName, AnythingAtThePathIsTakenADanglingLinkToo) {
    test::TempDir dir;
    std::ofstream(dir.File("pic-1.png")) << "x";
    ASSERT_EQ(::symlink(dir.File("nowhere").c_str(), dir.File("pic-2.png").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.File("pic-3.png").c_str(), 0700), 0);
    EXPECT_EQ(ProposeResultName(dir.File("pic.png")), dir.File("pic-4.png"));
}

// The save dialog opens on the carrier's own kind; the other kinds stay in their order.
TEST(ResultFilter, PutsTheCarriersKindFirst) {
    const std::vector<FileFilter> filter = {
        {"B", "*.bmp;*.dib"}, {"P", "*.png"}, {"R", "*.raw"}, {"All", "*.bmp;*.dib;*.png;*.raw"}};
    const auto order = [&](const std::string& carrier) {
        std::string names;
        for (const FileFilter& entry : ResultFilter(filter, carrier)) names += entry.description + " ";
        return names;
    };
    EXPECT_EQ(order("/p/a.PNG"), "P All B R ");
    EXPECT_EQ(order("/p/a.dib"), "B All P R ");
    EXPECT_EQ(order("/p/a.raw"), "R All B P ");
    EXPECT_EQ(order("/p/a.pn"), "B P R All ");  // "*.png" does not name ".pn"
    EXPECT_EQ(order("/p/a"), "B P R All ");
}

}  // namespace
}  // namespace tarnwerk
