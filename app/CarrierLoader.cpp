#include "app/CarrierLoader.h"

#include <sys/stat.h>
#include <unistd.h>

#include "app/Messages.h"
#include "app/Session.h"
#include "app/UserInterface.h"
#include "config/NumberFormat.h"
#include "core/Capacity.h"
#include "core/CarrierAnalysis.h"
#include "core/StealthExtract.h"
#include "core/StealthHide.h"
#include "core/StealthRoom.h"

namespace tarnwerk {

namespace {

constexpr int kIncorrectFileTitle = 407;
constexpr int kByteUnit = 305;
constexpr int kRawType = 306;
constexpr int kBitUnit = 307;
constexpr int kBitmapType = 308;
constexpr int kPixelUnit = 309;
constexpr int kColorsUnit = 315;
constexpr int kFreeCaption = 205;
constexpr int kRecommendedRoomCaption = 612;
constexpr int kMaximumRoomText = 613;

Message RejectionMessage(const Session& session, const CarrierAnalysis& analysis) {
    switch (analysis.verdict) {
        case CarrierVerdict::Compressed:
            return Message{session.Text(410) + "\r\n\r\n" + session.Text(411) + "\r\n" + session.Text(412),
                           MessageIcon::Exclamation, MessageButtons::Ok, session.Text(kIncorrectFileTitle)};
        case CarrierVerdict::UnsupportedDepth:
            return Message{session.Text(413) + " " + std::to_string(analysis.facts.bitCount) + " " +
                               session.Text(kBitUnit) + ".\r\n\r\n" + session.Text(414),
                           MessageIcon::Exclamation, MessageButtons::Ok, session.Text(kIncorrectFileTitle)};
        default:
            return MakeMessage(session, {408, 409}, MessageIcon::Exclamation, kIncorrectFileTitle);
    }
}

std::string TypeText(const Session& session, const CarrierAnalysis& analysis) {
    if (analysis.verdict == CarrierVerdict::Raw) return session.Text(kRawType);
    const CarrierFacts& facts = analysis.facts;
    return session.Text(kBitmapType) + ", " + std::to_string(facts.width) + "x" + std::to_string(facts.height) + " " +
           session.Text(kPixelUnit) + ", " + std::to_string(facts.bitCount) + " " + session.Text(kColorsUnit);
}

// The room the chosen method offers: the classic method's at the current bit depth, or the
// stealth method's recommended room with its maximum beside it (0 where it cannot hide).
void ShowRoom(Session& session, const CarrierFacts& facts) {
    const std::string unit = " " + session.Text(kByteUnit);
    const int base = session.languageBase;
    if (session.settings.Method != static_cast<uint8_t>(HidingMethod::Stealth)) {
        const bool encryption = session.settings.Encryption == 1;
        session.fields.oFreeCaption = session.Text(kFreeCaption);
        const int64_t room = LargestPayload(facts.imageSize, session.bitsPerByte, encryption);
        session.fields.oFree = FormatHashGroup(room, base) + unit;
        return;
    }
    const StealthAssessment assessment = AssessStealthCarrier(facts.path);
    session.fields.oFreeCaption = session.Text(kRecommendedRoomCaption);
    session.fields.oFree = FormatHashGroupZero(assessment.room.recommended, base) + unit + "   " +
                           session.Text(kMaximumRoomText) + " " + FormatHashGroupZero(assessment.room.maximum, base) +
                           unit;
}

}  // namespace

bool IsUsableCarrierFile(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    return ::access(path.c_str(), R_OK | W_OK) == 0;
}

bool LoadCarrierInto(Session& session, UserInterface& ui, const std::string& path) {
    // Blanks at either end belong to the file name.
    const CarrierAnalysis analysis = AnalyseCarrier(path);
    if (!analysis.accepted()) {
        // A rejected file must not stay the loaded carrier, or the next hide would use it.
        session.carrier.path.clear();
        session.carrier.signature.clear();
        session.fields.origFile.clear();
        session.fields.oTyp.clear();
        session.fields.oSize.clear();
        session.fields.oFree.clear();
        ui.ShowMessage(RejectionMessage(session, analysis));
        return false;
    }
    session.carrier = analysis.facts;
    const std::string unit = " " + session.Text(kByteUnit);
    session.fields.origFile = path;
    session.fields.oTyp = TypeText(session, analysis);
    session.fields.oSize = FormatHashGroup(analysis.facts.ShownSize(), session.languageBase) + unit;
    ShowRoom(session, analysis.facts);
    return true;
}

}  // namespace tarnwerk
