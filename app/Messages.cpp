#include "app/Messages.h"

#include <cstring>
#include <optional>
#include <vector>

#include "app/Session.h"
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

}  // namespace

Message MakeMessage(const Session& session, std::initializer_list<TextId> ids, MessageIcon icon, TextId titleId,
                    MessageButtons buttons) {
    return Message{JoinLines(session.languageBase, ids), icon, buttons, session.Text(titleId)};
}

Message MakeProductMessage(const Session& session, std::initializer_list<TextId> ids, MessageIcon icon,
                           MessageButtons buttons) {
    return Message{JoinLines(session.languageBase, ids), icon, buttons, kProductName};
}

Message EngineErrorMessage(const Session& session, const Error& error) {
    const ErrorTexts texts = TextsOf(error.code);
    std::string text;
    if (texts.numbered) {
        text = session.Text(TextId::ErrorNumberText) + " " + std::to_string(error.number) + " " +
               session.Text(TextId::ErrorOccurredText);
    } else {
        text = JoinLines(session.languageBase, texts.lines);
    }
    if (texts.detailed) {
        const std::string detail = SystemDetail(error);
        if (!detail.empty()) text += "\r\n(" + detail + ")";
    }
    const std::string title = texts.titleId ? session.Text(*texts.titleId) : kProductName;
    return Message{text, texts.icon, MessageButtons::Ok, title};
}

std::string DescribeError(const Session& session, const Error& error) {
    const ErrorTexts texts = TextsOf(error.code);
    std::string detail = SystemDetail(error);
    if (!texts.causeId) return detail.empty() ? session.Text(TextId::UnknownErrorCause) : detail;
    std::string text = session.Text(*texts.causeId);
    if (!detail.empty()) text += ": " + detail;
    return text;
}

bool SaysAnything(const Error& error) {
    return error.code != ErrorCode::Io || error.number != 0 || !error.path.empty();
}

void AppendCause(const Session& session, Message& message, const Error& error) {
    if (SaysAnything(error)) message.text += "\r\n(" + DescribeError(session, error) + ")";
}

Message CommandFailureMessage(const Session& session, TextId commandTextId, const std::string& description) {
    return Message{session.Text(commandTextId) + "\r\n(" + description + ")", MessageIcon::Critical, MessageButtons::Ok,
                   kProductName};
}

}  // namespace tarnwerk
