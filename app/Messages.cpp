#include "app/Messages.h"

#include <cstring>
#include <optional>
#include <vector>

#include "app/Session.h"
#include "config/NumberFormat.h"
#include "config/Strings.h"

namespace tarnwerk {

namespace {

// How an error reaches the user: the lines of its own message (with title and icon), the
// sentence that names it as the cause of a failed command, and whether the system's detail
// (errno text, file) follows in parentheses.
struct ErrorTexts {
    std::vector<TextId> lines;
    std::optional<TextId> titleId = TextId::ErrorTitle;  // none: the product name
    MessageIcon icon = MessageIcon::Critical;
    std::optional<TextId> causeId;  // none: the system's text for the error number
    bool detailed = true;
    bool numbered = false;  // "ErrorNumberText <errno> ErrorOccurredText" heads the message
};

ErrorTexts Own(std::vector<TextId> lines, std::optional<TextId> titleId, MessageIcon icon) {
    const TextId cause = lines.front();
    return ErrorTexts{std::move(lines), titleId, icon, cause, false, false};
}

ErrorTexts Failure(TextId causeId) {
    return ErrorTexts{{causeId}, TextId::ErrorTitle, MessageIcon::Critical, causeId, true, false};
}

// Every code has its texts here; without a default branch the compiler names a new code that
// has none.
ErrorTexts TextsOf(ErrorCode code) {
    constexpr MessageIcon kWarn = MessageIcon::Exclamation;
    // One row per code: the table reads best unwrapped.
    // clang-format off
    switch (code) {
        case ErrorCode::NoCarrier: return Own({TextId::SelectCarrierText}, TextId::IncorrectFileTitle, kWarn);
        case ErrorCode::NoPayload: return Own({TextId::SelectDataText}, TextId::IncorrectFileTitle, kWarn);
        case ErrorCode::PayloadTooLarge: return Own({TextId::TooLargeText, TextId::LargerCarrierHint}, TextId::TooLargeTitle, kWarn);
        case ErrorCode::EndMarkerInData: return Own({TextId::EndMarkerInDataText, TextId::EndMarkerCutText, TextId::EndMarkerHint}, std::nullopt, kWarn);
        case ErrorCode::ShortColourTable: return Own({TextId::ShortColourTableText, TextId::ShortColourTableHint}, TextId::IncorrectFileTitle, kWarn);
        case ErrorCode::CarrierShrank: return Own({TextId::CarrierShrankText, TextId::CarrierShrankHint}, TextId::ErrorTitle, MessageIcon::Critical);
        case ErrorCode::NoDataFound: return Own({TextId::NoDataFoundText}, TextId::IncorrectFileTitle, kWarn);
        case ErrorCode::CarrierBusy: return Own({TextId::CarrierBusyText, TextId::CarrierBusyHint}, TextId::IncorrectFileTitle, kWarn);
        case ErrorCode::NotRegularFile: {
            ErrorTexts texts = Own({TextId::OutputNotRegularText, TextId::OtherOutputNameHint}, std::nullopt, kWarn);
            texts.causeId = TextId::NotRegularFileCause;  // as a cause it may name an input too
            return texts;
        }
        case ErrorCode::Io: return ErrorTexts{{}, TextId::ErrorTitle, MessageIcon::Critical, std::nullopt, true, true};
        case ErrorCode::FileEndedEarly: return Failure(TextId::FileEndedEarlyCause);
        case ErrorCode::EmptyInput: return Failure(TextId::EmptyInputCause);
        case ErrorCode::TooLargeForFormat: return Failure(TextId::TooLargeForFormatCause);
        case ErrorCode::CryptoUnavailable: return Failure(TextId::CryptoUnavailableCause);
        case ErrorCode::OutOfMemory: return Failure(TextId::OutOfMemoryCause);
        case ErrorCode::CorruptData: return Failure(TextId::CorruptDataCause);
        case ErrorCode::WrongKey: return Failure(TextId::WrongKeyCause);
        case ErrorCode::OutputExists: return Failure(TextId::OutputExistsCause);
        case ErrorCode::Internal: return Failure(TextId::InternalErrorCause);
        case ErrorCode::Cancelled: return Failure(TextId::CancelledCause);
        // The stealth method's refusals point to the method that does take the picture; its
        // one answer for every way of not finding data carries no detail that could differ.
        case ErrorCode::NoSamplePlane: return Own({TextId::NoSamplePlaneCause, TextId::UseClassicMethodHint}, TextId::IncorrectFileTitle, kWarn);
        case ErrorCode::CarrierTooSmall: return Own({TextId::StealthTooSmallRefusal, TextId::UseClassicMethodHint}, TextId::IncorrectFileTitle, kWarn);
        case ErrorCode::NothingFound: return Own({TextId::NothingFoundCause}, std::nullopt, kWarn);
        case ErrorCode::ArchiveFailed: return Failure(TextId::ArchiveFailedCause);
        case ErrorCode::Unrepresentable: return Failure(TextId::UnrepresentableCause);
        case ErrorCode::CarrierRefused: return Failure(TextId::CarrierRefusedCause);
        case ErrorCode::SameFile: {
            ErrorTexts texts = Own({TextId::OutputIsCarrierText, TextId::OtherOutputNameHint}, std::nullopt, kWarn);
            return texts;
        }
    }
    // clang-format on
    return Failure(TextId::InternalErrorCause);  // not reached: the switch names every code
}

// The system's text for the error number and the file concerned ("No such file: /a/b").
std::string SystemDetail(const Error& error) {
    std::string text = error.number != 0 ? std::strerror(error.number) : std::string();
    if (!error.path.empty()) text += (text.empty() ? "" : ": ") + error.path;
    return text;
}

std::string TitleText(int base, std::optional<TextId> titleId) { return titleId ? Text(base, *titleId) : kProductName; }

Message EngineError(int base, const Error& error) {
    const ErrorTexts texts = TextsOf(error.code);
    std::string text;
    if (texts.numbered) {
        text = Text(base, TextId::ErrorNumberText) + " " + std::to_string(error.number) + " " +
               Text(base, TextId::ErrorOccurredText);
    } else {
        text = JoinLines(base, texts.lines);
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
    if (!texts.causeId) return detail.empty() ? Text(base, TextId::UnknownErrorCause) : detail;
    std::string text = Text(base, *texts.causeId);
    if (!detail.empty()) text += ": " + detail;
    return text;
}

Message CommandFailure(int base, TextId commandTextId, const std::string& description) {
    return Message{Text(base, commandTextId) + "\r\n(" + description + ")", MessageIcon::Critical, MessageButtons::Ok,
                   kProductName};
}

Message NeededSize(int base, const Notice& notice) {
    const std::string text = Text(base, notice.lines.at(0)) + " " + FormatHashGroupZero(notice.amount, base) + " " +
                             Text(base, notice.lines.at(1)) + "\r\n" + Text(base, notice.lines.at(2));
    return Message{text, notice.icon, MessageButtons::Ok, TitleText(base, notice.titleId)};
}

}  // namespace

Message MakeMessage(const ProgramSettings& program, std::initializer_list<TextId> ids, MessageIcon icon, TextId titleId,
                    MessageButtons buttons) {
    return Message{JoinLines(program.languageBase, ids), icon, buttons, program.Text(titleId)};
}

Message MakeProductMessage(const ProgramSettings& program, std::initializer_list<TextId> ids, MessageIcon icon,
                           MessageButtons buttons) {
    return Message{JoinLines(program.languageBase, ids), icon, buttons, kProductName};
}

Message EngineErrorMessage(const ProgramSettings& program, const Error& error) {
    return EngineError(program.languageBase, error);
}

std::string DescribeError(const ProgramSettings& program, const Error& error) {
    return Describe(program.languageBase, error);
}

std::string DescribeError(int languageBase, const Error& error) { return Describe(languageBase, error); }

bool SaysAnything(const Error& error) {
    return error.code != ErrorCode::Io || error.number != 0 || !error.path.empty();
}

void AppendCause(const ProgramSettings& program, Message& message, const Error& error) {
    if (SaysAnything(error)) message.text += "\r\n(" + DescribeError(program, error) + ")";
}

Message CommandFailureMessage(const ProgramSettings& program, TextId commandTextId, const std::string& description) {
    return CommandFailure(program.languageBase, commandTextId, description);
}

Notice Notice::Say(std::vector<TextId> lines, MessageIcon icon, std::optional<TextId> titleId) {
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

Notice Notice::Failure(TextId commandTextId, const Error& cause) {
    Notice notice = Say({commandTextId}, MessageIcon::Critical);
    notice.shape = Shape::CommandFailure;
    notice.cause = cause;
    return notice;
}

Notice Notice::WithCause(std::vector<TextId> lines, MessageIcon icon, const Error& cause) {
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
    Message message{JoinLines(languageBase, notice.lines), notice.icon, buttons,
                    TitleText(languageBase, notice.titleId)};
    if (!notice.detail.empty()) message.text += "\r\n" + notice.detail;
    if (notice.cause && SaysAnything(*notice.cause))
        message.text += "\r\n(" + Describe(languageBase, *notice.cause) + ")";
    return message;
}

}  // namespace tarnwerk
