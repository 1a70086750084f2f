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

Message RejectionMessage(const Session& session, const CarrierAnalysis& analysis) {
    switch (analysis.verdict) {
        case CarrierVerdict::Compressed:
            return Message{session.Text(TextId::CompressedBitmapText) + "\r\n\r\n" +
                               session.Text(TextId::UncompressedOnlyText) + "\r\n" +
                               session.Text(TextId::UncompressedOnlyEnd),
                           MessageIcon::Exclamation, MessageButtons::Ok, session.Text(TextId::IncorrectFileTitle)};
        case CarrierVerdict::UnsupportedDepth:
            return Message{session.Text(TextId::ColourDepthText) + " " + std::to_string(analysis.facts.bitCount) + " " +
                               session.Text(TextId::BitUnit) + ".\r\n\r\n" + session.Text(TextId::SupportedDepthsText),
                           MessageIcon::Exclamation, MessageButtons::Ok, session.Text(TextId::IncorrectFileTitle)};
        default:
            return MakeMessage(session, {TextId::InvalidFileText, TextId::UnsupportedFormatText},
                               MessageIcon::Exclamation, TextId::IncorrectFileTitle);
    }
}

std::string TypeText(const Session& session, const CarrierAnalysis& analysis) {
    if (analysis.verdict == CarrierVerdict::Raw) return session.Text(TextId::RawPictureType);
    const CarrierFacts& facts = analysis.facts;
    return session.Text(TextId::BitmapPictureType) + ", " + std::to_string(facts.width) + "x" +
           std::to_string(facts.height) + " " + session.Text(TextId::PixelUnit) + ", " +
           std::to_string(facts.bitCount) + " " + session.Text(TextId::ColoursUnit);
}

// The room the chosen method offers: the classic method's at the current bit depth, or the
// stealth method's recommended room with its maximum beside it (0 where it cannot hide).
void ShowRoom(Session& session, const CarrierFacts& facts) {
    const std::string unit = " " + session.Text(TextId::ByteUnit);
    const int base = session.languageBase;
    if (session.settings.Method != static_cast<uint8_t>(HidingMethod::Stealth)) {
        const bool encryption = session.settings.Encryption == 1;
        session.fields.oFreeCaption = session.Text(TextId::CarrierFreeLabel);
        const int64_t room = LargestPayload(facts.imageSize, session.bitsPerByte, encryption);
        session.fields.oFree = FormatHashGroup(room, base) + unit;
        return;
    }
    const StealthAssessment assessment = AssessStealthCarrier(facts.path);
    session.fields.oFreeCaption = session.Text(TextId::StealthRecommendedRoomLabel);
    const std::string maximum = FormatHashGroupZero(assessment.room.maximum, base) + unit;
    session.fields.oFree = FormatHashGroupZero(assessment.room.recommended, base) + unit + "   " +
                           session.Text(TextId::StealthMaximumRoomLabel) + " " + maximum;
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
    const std::string unit = " " + session.Text(TextId::ByteUnit);
    session.fields.origFile = path;
    session.fields.oTyp = TypeText(session, analysis);
    session.fields.oSize = FormatHashGroup(analysis.facts.ShownSize(), session.languageBase) + unit;
    ShowRoom(session, analysis.facts);
    return true;
}

}  // namespace tarnwerk
