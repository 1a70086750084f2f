#include "app/CarrierLoader.h"

#include <sys/stat.h>
#include <unistd.h>

#include "app/Messages.h"
#include "app/Session.h"
#include "app/UserInterface.h"
#include "config/NumberFormat.h"
#include "config/Strings.h"
#include "core/Capacity.h"
#include "core/CarrierAnalysis.h"

namespace tarnwerk {

namespace {

constexpr int kIncorrectFileTitle = 407;
constexpr int kByteUnit = 305;
constexpr int kRawType = 306;
constexpr int kBitUnit = 307;
constexpr int kBitmapType = 308;
constexpr int kPixelUnit = 309;
constexpr int kColorsUnit = 315;

std::string TypeText(int base, const CarrierAnalysis& analysis) {
    if (analysis.verdict == CarrierVerdict::Raw) return Text(base, kRawType);
    const CarrierFacts& facts = analysis.facts;
    return Text(base, kBitmapType) + ", " + std::to_string(facts.width) + "x" + std::to_string(facts.height) + " " +
           Text(base, kPixelUnit) + ", " + std::to_string(facts.bitCount) + " " + Text(base, kColorsUnit);
}

}  // namespace

Message CarrierRefusal(int base, const CarrierAnalysis& analysis) {
    const std::string title = Text(base, kIncorrectFileTitle);
    switch (analysis.verdict) {
        case CarrierVerdict::Compressed:
            return Message{Text(base, 410) + "\r\n\r\n" + Text(base, 411) + "\r\n" + Text(base, 412),
                           MessageIcon::Exclamation, MessageButtons::Ok, title};
        case CarrierVerdict::UnsupportedDepth:
            return Message{Text(base, 413) + " " + std::to_string(analysis.facts.bitCount) + " " +
                               Text(base, kBitUnit) + ".\r\n\r\n" + Text(base, 414),
                           MessageIcon::Exclamation, MessageButtons::Ok, title};
        default:
            return RenderNotice(base, Notice::Say({408, 409}, MessageIcon::Exclamation, kIncorrectFileTitle));
    }
}

CarrierTexts DescribeCarrier(int base, const CarrierAnalysis& analysis, int bitsPerByte, bool encrypt) {
    const std::string unit = " " + Text(base, kByteUnit);
    return CarrierTexts{TypeText(base, analysis), FormatHashGroup(analysis.facts.ShownSize(), base) + unit,
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
    CarrierTexts texts = DescribeCarrier(session.languageBase, analysis, session.bitsPerByte,
                                         session.settings.Encryption == 1);
    session.fields.origFile = path;
    session.fields.oTyp = std::move(texts.type);
    session.fields.oSize = std::move(texts.size);
    session.fields.oFree = std::move(texts.free);
    return true;
}

}  // namespace tarnwerk
