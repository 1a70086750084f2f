// Errors reach the user in the user's language: every code has its own texts in all four.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string>

#include "app/Messages.h"
#include "app/Session.h"
#include "config/Strings.h"

namespace tarnwerk {
namespace {

constexpr int kBases[] = {kLanguageBaseGerman, kLanguageBaseEnglish, kLanguageBaseDutch, kLanguageBaseFrench};
constexpr int kLastCode = static_cast<int>(ErrorCode::Internal);

Session In(int languageBase) {
    Session session;
    session.languageBase = languageBase;
    return session;
}

// Each code's cause reads differently in each language, and two codes never share a cause,
// so no code falls back to another's text or to English.
TEST(ErrorTexts, EveryCodeHasItsOwnCauseInEveryLanguage) {
    for (const int base : kBases) {
        std::set<std::string> causes;
        for (int code = 0; code <= kLastCode; ++code) {
            const Error error = MakeError(static_cast<ErrorCode>(code), {}, EIO);
            const std::string cause = DescribeError(In(base), error);
            const Message message = EngineErrorMessage(In(base), error);
            EXPECT_FALSE(message.text.empty()) << base << " code " << code;
            EXPECT_FALSE(message.title.empty()) << base << " code " << code;
            if (static_cast<ErrorCode>(code) == ErrorCode::Io) continue;  // the system's own text
            EXPECT_TRUE(causes.insert(cause).second) << base << " code " << code << ": " << cause;
            if (base != kLanguageBaseEnglish) {
                EXPECT_NE(cause, DescribeError(In(kLanguageBaseEnglish), error)) << base << " code " << code;
            }
        }
    }
}

TEST(ErrorTexts, GermanUserReadsGermanCausesWithTheFileAndTheSystemNumber) {
    const Session german = In(kLanguageBaseGerman);
    EXPECT_EQ(DescribeError(german, MakeError(ErrorCode::WrongKey)), "Falsche Passphrase oder beschädigte Daten");
    EXPECT_EQ(DescribeError(german, MakeError(ErrorCode::EmptyInput, "/tmp/leer.txt")),
              "Die Datei ist leer: /tmp/leer.txt");
    const std::string noEntry = std::strerror(ENOENT);
    EXPECT_EQ(DescribeError(german, MakeError(ErrorCode::Io, "/x/y", ENOENT)), noEntry + ": /x/y");
    EXPECT_EQ(DescribeError(german, MakeError(ErrorCode::Io)), "Unbekannter Fehler");

    const Message io = EngineErrorMessage(german, MakeError(ErrorCode::Io, "/x/y", ENOENT));
    EXPECT_EQ(io.text, "Es ist der Fehler Nr. 2 aufgetreten.\r\n(" + noEntry + ": /x/y)");
    EXPECT_EQ(io.title, "Fehler");
    const Message damaged = EngineErrorMessage(german, MakeError(ErrorCode::CorruptData, "/x/y"));
    EXPECT_EQ(damaged.text, "Die Daten sind beschädigt oder haben nicht das erwartete Format\r\n(/x/y)");
    // Codes with a message of their own show it unchanged, without a detail line.
    const Message busy = EngineErrorMessage(german, MakeError(ErrorCode::CarrierBusy, "/c.bmp", EWOULDBLOCK));
    EXPECT_EQ(busy.text, Text(kLanguageBaseGerman, TextId::CarrierBusyText) + "\r\n" +
                             Text(kLanguageBaseGerman, TextId::CarrierBusyHint));
}

// The stealth method's answers: refusals name what the picture lacks and point to the classic
// method; not finding data reads the same whatever the cause carried (file, system number).
TEST(ErrorTexts, StealthAnswersPointToTheClassicMethodAndNeverDiffer) {
    const Session english = In(kLanguageBaseEnglish);
    const Message palette = EngineErrorMessage(english, MakeError(ErrorCode::NoSamplePlane, "/p.bmp"));
    EXPECT_EQ(palette.text,
              "This picture does not suit this method (for example a palette picture or a RAW file)\r\n"
              "Use the classic method for this picture.");
    const Message small = EngineErrorMessage(english, MakeError(ErrorCode::CarrierTooSmall, "/s.bmp"));
    EXPECT_EQ(
        small.text,
        "The picture is too small or too plain for the stealth method.\r\nUse the classic method for this picture.");
    const Message none = EngineErrorMessage(english, MakeError(ErrorCode::NothingFound));
    EXPECT_EQ(none.text, "No hidden data found for this passphrase.");
    EXPECT_EQ(none.title, "Tarnwerk");
    const Message cropped = EngineErrorMessage(english, MakeError(ErrorCode::NothingFound, "/c.bmp", EIO));
    EXPECT_EQ(cropped.text, none.text);
    EXPECT_EQ(cropped.icon, none.icon);
}

}  // namespace
}  // namespace tarnwerk
