#include "app/Messages.h"

#include <cstring>
#include <vector>

#include "app/Session.h"

namespace tarnwerk {

namespace {

constexpr int kIncorrectFileTitle = 407;
constexpr int kErrorTitle = 316;
constexpr int kErrorNumberText = 317;
constexpr int kOccurredText = 318;
constexpr int kUnknownErrorText = 545;
constexpr int kNoSamplePlaneText = 540;
constexpr int kTooSmallText = 608;
constexpr int kUseClassicText = 609;
constexpr int kNothingFoundText = 542;

// How an error reaches the user: the lines of its own message (with title and icon), the
// sentence that names it as the cause of a failed command, and whether the system's detail
// (errno text, file) follows in parentheses.
struct ErrorTexts {
    std::vector<int> lines;
    int titleId = kErrorTitle;  // 0: the product name
    MessageIcon icon = MessageIcon::Critical;
    int causeId = 0;  // 0: the system's text for the error number
    bool detailed = true;
    bool numbered = false;  // "317 <errno> 318" heads the message
};

ErrorTexts Own(std::vector<int> lines, int titleId, MessageIcon icon) {
    const int cause = lines.front();
    return ErrorTexts{std::move(lines), titleId, icon, cause, false, false};
}

ErrorTexts Failure(int causeId) {
    return ErrorTexts{{causeId}, kErrorTitle, MessageIcon::Critical, causeId, true, false};
}

// Every code has its texts here; without a default branch the compiler names a new code that
// has none.
ErrorTexts TextsOf(ErrorCode code) {
    constexpr MessageIcon kWarn = MessageIcon::Exclamation;
    // One row per code: the table reads best unwrapped.
    // clang-format off
    switch (code) {
        case ErrorCode::NoCarrier: return Own({439}, kIncorrectFileTitle, kWarn);
        case ErrorCode::NoPayload: return Own({440}, kIncorrectFileTitle, kWarn);
        case ErrorCode::PayloadTooLarge: return Own({433, 434}, 432, kWarn);
        case ErrorCode::EndMarkerInData: return Own({490, 491, 492}, 0, kWarn);
        case ErrorCode::ShortColourTable: return Own({493, 494}, kIncorrectFileTitle, kWarn);
        case ErrorCode::CarrierShrank: return Own({495, 496}, kErrorTitle, MessageIcon::Critical);
        case ErrorCode::NoDataFound: return Own({444}, kIncorrectFileTitle, kWarn);
        case ErrorCode::CarrierBusy: return Own({464, 465}, kIncorrectFileTitle, kWarn);
        case ErrorCode::NotRegularFile: {
            ErrorTexts texts = Own({472, 471}, 0, kWarn);
            texts.causeId = 543;  // as a cause it may name an input too
            return texts;
        }
        case ErrorCode::Io: return ErrorTexts{{}, kErrorTitle, MessageIcon::Critical, 0, true, true};
        case ErrorCode::FileEndedEarly: return Failure(530);
        case ErrorCode::EmptyInput: return Failure(531);
        case ErrorCode::TooLargeForFormat: return Failure(532);
        case ErrorCode::CryptoUnavailable: return Failure(533);
        case ErrorCode::OutOfMemory: return Failure(534);
        case ErrorCode::CorruptData: return Failure(535);
        case ErrorCode::WrongKey: return Failure(536);
        case ErrorCode::OutputExists: return Failure(537);
        case ErrorCode::Internal: return Failure(538);
        case ErrorCode::Cancelled: return Failure(539);
        // The stealth method's refusals point to the method that does take the picture; its
        // one answer for every way of not finding data carries no detail that could differ.
        case ErrorCode::NoSamplePlane: return Own({kNoSamplePlaneText, kUseClassicText}, kIncorrectFileTitle, kWarn);
        case ErrorCode::CarrierTooSmall: return Own({kTooSmallText, kUseClassicText}, kIncorrectFileTitle, kWarn);
        case ErrorCode::NothingFound: return Own({kNothingFoundText}, 0, kWarn);
        case ErrorCode::ArchiveFailed: return Failure(544);
        case ErrorCode::Unrepresentable: return Failure(546);
        case ErrorCode::CarrierRefused: return Failure(547);
        case ErrorCode::SameFile: {
            ErrorTexts texts = Own({470, 471}, 0, kWarn);
            return texts;
        }
    }
    // clang-format on
    return Failure(538);  // not reached: the switch names every code
}

std::string Join(const Session& session, const std::vector<int>& ids, const char* separator) {
    std::string text;
    for (int id : ids) {
        if (!text.empty()) text += separator;
        text += session.Text(id);
    }
    return text;
}

// The system's text for the error number and the file concerned ("No such file: /a/b").
std::string SystemDetail(const Error& error) {
    std::string text = error.number != 0 ? std::strerror(error.number) : std::string();
    if (!error.path.empty()) text += (text.empty() ? "" : ": ") + error.path;
    return text;
}

}  // namespace

Message MakeMessage(const Session& session, std::initializer_list<int> ids, MessageIcon icon, int titleId,
                    MessageButtons buttons) {
    return Message{Join(session, ids, "\r\n"), icon, buttons, session.Text(titleId)};
}

Message MakeProductMessage(const Session& session, std::initializer_list<int> ids, MessageIcon icon,
                           MessageButtons buttons) {
    return Message{Join(session, ids, "\r\n"), icon, buttons, kProductName};
}

Message EngineErrorMessage(const Session& session, const Error& error) {
    const ErrorTexts texts = TextsOf(error.code);
    std::string text;
    if (texts.numbered) {
        text = session.Text(kErrorNumberText) + " " + std::to_string(error.number) + " " + session.Text(kOccurredText);
    } else {
        text = Join(session, texts.lines, "\r\n");
    }
    if (texts.detailed) {
        const std::string detail = SystemDetail(error);
        if (!detail.empty()) text += "\r\n(" + detail + ")";
    }
    const std::string title = texts.titleId == 0 ? kProductName : session.Text(texts.titleId);
    return Message{text, texts.icon, MessageButtons::Ok, title};
}

std::string DescribeError(const Session& session, const Error& error) {
    const ErrorTexts texts = TextsOf(error.code);
    std::string detail = SystemDetail(error);
    if (texts.causeId == 0) return detail.empty() ? session.Text(kUnknownErrorText) : detail;
    std::string text = session.Text(texts.causeId);
    if (!detail.empty()) text += ": " + detail;
    return text;
}

bool SaysAnything(const Error& error) {
    return error.code != ErrorCode::Io || error.number != 0 || !error.path.empty();
}

void AppendCause(const Session& session, Message& message, const Error& error) {
    if (SaysAnything(error)) message.text += "\r\n(" + DescribeError(session, error) + ")";
}

Message CommandFailureMessage(const Session& session, int commandTextId, const std::string& description) {
    return Message{session.Text(commandTextId) + "\r\n(" + description + ")", MessageIcon::Critical, MessageButtons::Ok,
                   kProductName};
}

}  // namespace tarnwerk
