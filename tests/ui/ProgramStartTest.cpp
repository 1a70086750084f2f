// The desktop program's command line and where it finds its help, installed or not; and the
// scalable icon against the drawn one.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/TempDir.h"
#include "ui/ProgramStart.h"

namespace tarnwerk::test {
namespace {

TEST(ProgramStartTest, TakesOneCarrierAndTheTwoOptions) {
    EXPECT_EQ(ParseStartArguments({"photo.bmp"}).carrier, "photo.bmp");
    EXPECT_TRUE(ParseStartArguments({"--version"}).version);
    EXPECT_TRUE(ParseStartArguments({"-h"}).help);
    EXPECT_EQ(ParseStartArguments({"--", "-odd.bmp"}).carrier, "-odd.bmp");
    EXPECT_FALSE(ParseStartArguments({"--bits", "2"}).error.empty());
    EXPECT_FALSE(ParseStartArguments({"a.bmp", "b.bmp"}).error.empty());
    EXPECT_TRUE(ParseStartArguments({}).error.empty());
}

void Touch(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << "x";
}

// Installed under a prefix (prefix/bin/tarnwerk, prefix/share/tarnwerk/help/...) the help is
// found in the data folder; in a build or program folder it lies beside the program.
TEST(ProgramStartTest, FindsTheHelpBesideTheProgramOrInTheDataFolder) {
    TempDir prefix;
    const std::string bin = prefix.File("bin");
    std::filesystem::create_directories(bin);
    Touch(prefix.File("share/tarnwerk/help/index.html"));
    const std::string installed = HelpFolder(bin, "../share/tarnwerk");
    EXPECT_EQ(installed, bin + "/../share/tarnwerk/");
    EXPECT_TRUE(std::filesystem::exists(installed + "help/index.html"));

    Touch(bin + "/help/index.html");
    EXPECT_EQ(HelpFolder(bin, "../share/tarnwerk"), bin + "/");
    TempDir chmOnly;
    Touch(chmOnly.File("Tarnwerk.chm"));
    EXPECT_EQ(HelpFolder(chmOnly.path(), "../share/tarnwerk"), chmOnly.path() + "/");
}

int RunProgram(const std::string& args, std::string& out) {
    TempDir dir;
    const std::string command =
        std::string("'") + TARNWERK_GUI_PATH + "' " + args + " >'" + dir.File("out") + "' 2>/dev/null </dev/null";
    const int status = std::system(command.c_str());
    std::ifstream in(dir.File("out"));
    std::getline(in, out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Answered without a display, from the project version.
TEST(ProgramStartTest, ProgramAnswersVersionAndRefusesUnknownOptions) {
    std::string out;
    EXPECT_EQ(RunProgram("--version", out), 0);
    EXPECT_EQ(out, std::string("tarnwerk ") + TARNWERK_EXPECTED_VERSION);
    EXPECT_EQ(RunProgram("--no-such-option", out), 2);
}

// The SVG is drawn by hand after the painting code: rendered at 64 pixels it must show the
// same picture as the PNG the program draws.
TEST(ProgramStartTest, ScalableIconMatchesTheDrawnIcon) {
    if (std::string(TARNWERK_SVG_RENDER).empty()) GTEST_SKIP() << "rsvg-convert is not installed";
    const QImage drawn = QImage(QString::fromUtf8(TARNWERK_DRAWN_ICON)).convertToFormat(QImage::Format_ARGB32);
    const QImage scalable = QImage(QString::fromUtf8(TARNWERK_SVG_RENDER)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(drawn.size(), QSize(64, 64));
    ASSERT_EQ(scalable.size(), QSize(64, 64));
    int differing = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const QRgb a = drawn.pixel(x, y), b = scalable.pixel(x, y);
            const int delta = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                              std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
            if (delta > 96) ++differing;
        }
    }
    // Anti-aliased edges may differ; a moved or missing shape changes far more pixels.
    EXPECT_LT(differing, 64 * 64 / 50) << differing << " pixels differ";
}

}  // namespace
}  // namespace tarnwerk::test
