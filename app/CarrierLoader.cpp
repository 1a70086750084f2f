#include "app/CarrierLoader.h"

#include <sys/stat.h>
#include <unistd.h>

#include "app/CarrierTypeText.h"
#include "app/Messages.h"
#include "app/Session.h"
#include "app/UserInterface.h"
#include "config/NumberFormat.h"
#include "config/Strings.h"
#include "core/Capacity.h"
#include "core/CarrierAnalysis.h"
#include "core/StealthRoom.h"

namespace tarnwerk {

namespace {

// Fewer than 8 bits per channel, in the terms of the carrier's own kind.
Message DepthRefusal(int base, const CarrierAnalysis& analysis) {
    const bool png = analysis.png;
    return Message{Text(base, png ? TextId::PngDepthText : TextId::ColourDepthText) + " " +
                       std::to_string(analysis.facts.bitCount) + " " + Text(base, TextId::BitUnit) + ".\r\n\r\n" +
                       Text(base, png ? TextId::PngDepthsUsableText : TextId::SupportedDepthsText),
                   MessageIcon::Exclamation, MessageButtons::Ok, Text(base, TextId::IncorrectFileTitle)};
}

// The stealth method's recommended room under the free-room caption, its maximum beside it
// (0 where the method cannot hide).
void ShowStealthRoom(Session& session) {
    const int base = session.languageBase;
    const std::string unit = " " + Text(base, TextId::ByteUnit);
    const StealthAssessment assessment = AssessStealthCarrier(session.carrier.path);
    session.fields.oFreeCaption = Text(base, TextId::StealthRecommendedRoomLabel);
    session.fields.oFree = FormatHashGroupZero(assessment.room.recommended, base) + unit + "   " +
                           Text(base, TextId::StealthMaximumRoomLabel) + " " +
                           FormatHashGroupZero(assessment.room.maximum, base) + unit;
}

}  // namespace

Message CarrierRefusal(int base, const CarrierAnalysis& analysis) {
    const std::string title = Text(base, TextId::IncorrectFileTitle);
    switch (analysis.verdict) {
        case CarrierVerdict::Compressed:
            return Message{Text(base, TextId::CompressedBitmapText) + "\r\n\r\n" +
                               Text(base, TextId::UncompressedOnlyText) + "\r\n" +
                               Text(base, TextId::UncompressedOnlyEnd),
                           MessageIcon::Exclamation, MessageButtons::Ok, title};
        case CarrierVerdict::UnsupportedDepth:
            return DepthRefusal(base, analysis);
        case CarrierVerdict::TooLarge:
            return RenderNotice(base, Notice::Say({TextId::PictureTooLargeText, TextId::PictureLimitsText},
                                                  MessageIcon::Exclamation, TextId::IncorrectFileTitle));
        case CarrierVerdict::Damaged:
            // The detail names the broken part in the format's own terms (chunk names).
            return Message{Text(base, TextId::PngDamagedText) + "\r\n(" + analysis.detail + ")",
                           MessageIcon::Exclamation, MessageButtons::Ok, title};
        default:
            return RenderNotice(base, Notice::Say({TextId::InvalidFileText, TextId::UnsupportedFormatText},
                                                  MessageIcon::Exclamation, TextId::IncorrectFileTitle));
    }
}

CarrierTexts DescribeCarrier(int base, const CarrierAnalysis& analysis, int bitsPerByte, bool encrypt) {
    const std::string unit = " " + Text(base, TextId::ByteUnit);
    return CarrierTexts{CarrierTypeText(base, analysis.facts), FormatHashGroup(analysis.facts.ShownSize(), base) + unit,
                        FormatHashGroup(LargestPayload(analysis.facts.imageSize, bitsPerByte, encrypt), base) + unit};
}

bool IsUsableCarrierFile(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    return ::access(path.c_str(), R_OK | W_OK) == 0;
}

bool LoadCarrierInto(Session& session, UserInterface& ui, const std::string& path) {
    // Blanks at either end belong to the file name.
    const CarrierAnalysis analysis = AnalyseCarrier(path);
    // A result written for another carrier is no longer the one to mail; the window's
    // reload of the same carrier keeps it.
    if (path != session.carrier.path) session.resultPath.clear();
    if (!analysis.accepted()) {
        // A rejected file must not stay the loaded carrier, or the next hide would use it.
        session.carrier.path.clear();
        session.carrier.signature.clear();
        session.fields.origFile.clear();
        session.fields.oTyp.clear();
        session.fields.oSize.clear();
        session.fields.oFree.clear();
        ui.ShowMessage(CarrierRefusal(session.languageBase, analysis));
        return false;
    }
    session.carrier = analysis.facts;
    CarrierTexts texts =
        DescribeCarrier(session.languageBase, analysis, session.settings.bitsPerByte, session.settings.Encryption);
    session.fields.origFile = path;
    session.fields.oTyp = std::move(texts.type);
    session.fields.oSize = std::move(texts.size);
    session.fields.oFree = std::move(texts.free);
    session.fields.oFreeCaption = Text(session.languageBase, TextId::CarrierFreeLabel);
    if (session.settings.Method == HidingMethod::Stealth) ShowStealthRoom(session);
    return true;
}

}  // namespace tarnwerk
