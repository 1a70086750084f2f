#include "app/Messages.h"

#include <cstring>
#include <vector>

#include "app/Session.h"
#include "config/NumberFormat.h"
#include "config/Strings.h"

namespace tarnwerk {

namespace {

constexpr int kIncorrectFileTitle = 407;
constexpr int kErrorTitle = 316;
constexpr int kErrorNumberText = 317;
constexpr int kOccurredText = 318;
constexpr int kUnknownErrorText = 545;

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
        case ErrorCode::NoSamplePlane: return Failure(540);
        case ErrorCode::CarrierTooSmall: return Failure(541);
        case ErrorCode::NothingFound: return Failure(542);
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

std::string Join(int base, const std::vector<int>& ids, const char* separator) {
    std::string text;
    for (int id : ids) {
        if (!text.empty()) text += separator;
        text += Text(base, id);
    }
    return text;
}

// The system's text for the error number and the file concerned ("No such file: /a/b").
std::string SystemDetail(const Error& error) {
    std::string text = error.number != 0 ? std::strerror(error.number) : std::string();
    if (!error.path.empty()) text += (text.empty() ? "" : ": ") + error.path;
    return text;
}

std::string TitleText(int base, int titleId) { return titleId == 0 ? kProductName : Text(base, titleId); }

Message EngineError(int base, const Error& error) {
    const ErrorTexts texts = TextsOf(error.code);
    std::string text;
    if (texts.numbered) {
        text = Text(base, kErrorNumberText) + " " + std::to_string(error.number) + " " + Text(base, kOccurredText);
    } else {
        text = Join(base, texts.lines, "\r\n");
    }
    if (texts.detailed) {
        const std::string detail = SystemDetail(error);
        if (!detail.empty()) text += "\r\n(" + detail + ")";
    }
    return Message{text, texts.icon, MessageButtons::Ok, TitleText(base, texts.titleId)};
}

std::string Describe(int base, const Error& error) {
    const ErrorTexts texts = TextsOf(error.code);
    std::string detail = SystemDetail(error);
    if (texts.causeId == 0) return detail.empty() ? Text(base, kUnknownErrorText) : detail;
    std::string text = Text(base, texts.causeId);
    if (!detail.empty()) text += ": " + detail;
    return text;
}

Message CommandFailure(int base, int commandTextId, const std::string& description) {
    return Message{Text(base, commandTextId) + "\r\n(" + description + ")", MessageIcon::Critical, MessageButtons::Ok,
                   kProductName};
}

Message NeededSize(int base, const Notice& notice) {
    const std::string text = Text(base, notice.lines.at(0)) + " " + FormatHashGroupZero(notice.amount, base) + " " +
                             Text(base, notice.lines.at(1)) + "\r\n" + Text(base, notice.lines.at(2));
    return Message{text, notice.icon, MessageButtons::Ok, TitleText(base, notice.titleId)};
}

}  // namespace

Message MakeMessage(const ProgramSettings& program, std::initializer_list<int> ids, MessageIcon icon, int titleId,
                    MessageButtons buttons) {
    return Message{Join(program.languageBase, ids, "\r\n"), icon, buttons, program.Text(titleId)};
}

Message MakeProductMessage(const ProgramSettings& program, std::initializer_list<int> ids, MessageIcon icon,
                           MessageButtons buttons) {
    return Message{Join(program.languageBase, ids, "\r\n"), icon, buttons, kProductName};
}

Message EngineErrorMessage(const ProgramSettings& program, const Error& error) { return EngineError(program.languageBase, error); }

std::string DescribeError(const ProgramSettings& program, const Error& error) { return Describe(program.languageBase, error); }

std::string DescribeError(int languageBase, const Error& error) { return Describe(languageBase, error); }

bool SaysAnything(const Error& error) {
    return error.code != ErrorCode::Io || error.number != 0 || !error.path.empty();
}

void AppendCause(const ProgramSettings& program, Message& message, const Error& error) {
    if (SaysAnything(error)) message.text += "\r\n(" + DescribeError(program, error) + ")";
}

Message CommandFailureMessage(const ProgramSettings& program, int commandTextId, const std::string& description) {
    return CommandFailure(program.languageBase, commandTextId, description);
}

Notice Notice::Say(std::vector<int> lines, MessageIcon icon, int titleId) {
    Notice notice;
    notice.lines = std::move(lines);
    notice.icon = icon;
    notice.titleId = titleId;
    return notice;
}

Notice Notice::Engine(const Error& error) {
    Notice notice;
    notice.shape = Shape::EngineError;
    notice.cause = error;
    return notice;
}

Notice Notice::Failure(int commandTextId, const Error& cause) {
    Notice notice = Say({commandTextId}, MessageIcon::Critical);
    notice.shape = Shape::CommandFailure;
    notice.cause = cause;
    return notice;
}

Notice Notice::WithCause(std::vector<int> lines, MessageIcon icon, const Error& cause) {
    Notice notice = Say(std::move(lines), icon);
    notice.cause = cause;
    return notice;
}

Message RenderNotice(int languageBase, const Notice& notice, MessageButtons buttons) {
    switch (notice.shape) {
        case Notice::Shape::EngineError:
            return EngineError(languageBase, *notice.cause);
        case Notice::Shape::CommandFailure:
            return CommandFailure(languageBase, notice.lines.at(0), Describe(languageBase, *notice.cause));
        case Notice::Shape::NeededSize:
            return NeededSize(languageBase, notice);
        case Notice::Shape::Lines:
            break;
    }
    Message message{Join(languageBase, notice.lines, "\r\n"), notice.icon, buttons,
                    TitleText(languageBase, notice.titleId)};
    if (notice.cause && SaysAnything(*notice.cause))
        message.text += "\r\n(" + Describe(languageBase, *notice.cause) + ")";
    return message;
}

}  // namespace tarnwerk
