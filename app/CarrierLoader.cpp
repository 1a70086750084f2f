#include "app/CarrierLoader.h"

#include <sys/stat.h>
#include <unistd.h>

#include "app/CarrierTypeText.h"
#include "app/Messages.h"
#include "app/Session.h"
#include "app/UserInterface.h"
#include "config/NumberFormat.h"
#include "core/Capacity.h"
#include "core/CarrierAnalysis.h"

namespace tarnwerk {

namespace {

constexpr int kIncorrectFileTitle = 407;
constexpr int kByteUnit = 305;
constexpr int kBitUnit = 307;

constexpr int kPngDepthText = 638;
constexpr int kPngDepthsUsable = 639;
constexpr int kPngTooLargeText = 561;
constexpr int kPngLimitsText = 562;
constexpr int kPngDamagedText = 563;

Message DepthMessage(const Session& session, const CarrierAnalysis& analysis, bool png) {
    return Message{session.Text(png ? kPngDepthText : 413) + " " + std::to_string(analysis.facts.bitCount) + " " +
                       session.Text(kBitUnit) + ".\r\n\r\n" + session.Text(png ? kPngDepthsUsable : 414),
                   MessageIcon::Exclamation, MessageButtons::Ok, session.Text(kIncorrectFileTitle)};
}

Message RejectionMessage(const Session& session, const std::string& path, const CarrierAnalysis& analysis) {
    switch (analysis.verdict) {
        case CarrierVerdict::Compressed:
            return Message{session.Text(410) + "\r\n\r\n" + session.Text(411) + "\r\n" + session.Text(412),
                           MessageIcon::Exclamation, MessageButtons::Ok, session.Text(kIncorrectFileTitle)};
        case CarrierVerdict::UnsupportedDepth: return DepthMessage(session, analysis, ReadAsPng(path));
        case CarrierVerdict::TooLarge:
            return MakeMessage(session, {kPngTooLargeText, kPngLimitsText}, MessageIcon::Exclamation,
                               kIncorrectFileTitle);
        case CarrierVerdict::Damaged:
            // The detail names the broken part in the format's own terms (chunk names).
            return Message{session.Text(kPngDamagedText) + "\r\n(" + analysis.detail + ")", MessageIcon::Exclamation,
                           MessageButtons::Ok, session.Text(kIncorrectFileTitle)};
        default: return MakeMessage(session, {408, 409}, MessageIcon::Exclamation, kIncorrectFileTitle);
    }
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
        ui.ShowMessage(RejectionMessage(session, path, analysis));
        return false;
    }
    session.carrier = analysis.facts;
    const std::string unit = " " + session.Text(kByteUnit);
    session.fields.origFile = path;
    session.fields.oTyp = CarrierTypeText(session.languageBase, analysis.facts);
    session.fields.oSize = FormatHashGroup(analysis.facts.ShownSize(), session.languageBase) + unit;
    const bool encryption = session.settings.Encryption == 1;
    session.fields.oFree =
        FormatHashGroup(LargestPayload(analysis.facts.imageSize, session.bitsPerByte, encryption), session.languageBase) +
        unit;
    return true;
}

}  // namespace tarnwerk
