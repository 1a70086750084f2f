// Turns results into the string-table messages the user sees. The message ids live here and
// in the workflows that compose them; nothing below app/ builds user-visible text.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"
#include "config/TextId.h"

namespace tarnwerk {

struct ProgramSettings;

// Message box icons; the numbers are the original flag values.
enum class MessageIcon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class MessageButtons { Ok, YesNo, RetryCancel };
enum class MessageAnswer { Ok, Yes, No, Retry, Cancel };

struct Message {
    std::string text;  // lines joined by "\r\n", as the string table composes them
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    std::string title;
};

inline constexpr const char* kProductName = "Tarnwerk";

// Ids joined by CR LF, with the given icon, buttons and title.
Message MakeMessage(const ProgramSettings& program, std::initializer_list<TextId> ids, MessageIcon icon, TextId titleId,
                    MessageButtons buttons = MessageButtons::Ok);
// Same, titled with the product name.
Message MakeProductMessage(const ProgramSettings& program, std::initializer_list<TextId> ids, MessageIcon icon,
                           MessageButtons buttons = MessageButtons::Ok);

// The message an error shows: the codes with a message of their own (NoCarrier, NoPayload,
// PayloadTooLarge, NoDataFound, CarrierBusy, NotRegularFile, EndMarkerInData, ShortColourTable,
// CarrierShrank, SameFile, and the stealth method's NoSamplePlane, CarrierTooSmall and
// NothingFound) show it as it is; Io shows "ErrorNumberText <errno>
// ErrorOccurredText", every other code its cause sentence, then CR LF "(" the system's text for
// the number and the file ")" when there is one, titled ErrorTitle.
Message EngineErrorMessage(const ProgramSettings& program, const Error& error);

// A command's run-time failure: its own text id, CR LF, "(" description ")", critical, product
// name as title (HideErrorText, ExtractErrorText, SizeErrorText).
Message CommandFailureMessage(const ProgramSettings& program, TextId commandTextId, const std::string& description);

// What a use case has to tell the user, as string-table ids and the values that fill them; the
// front-end renders it in its language with RenderNotice.
struct Notice {
    enum class Shape {
        Lines,           // the ids joined by CR LF, the detail, then the cause in parentheses when it says anything
        EngineError,     // the error's own message (EngineErrorMessage)
        CommandFailure,  // the first id, CR LF, "(" the cause's description ")" (CommandFailureMessage)
        NeededSize,      // ids 0 and 1 around the amount, CR LF, id 2
    };
    Shape shape = Shape::Lines;
    std::vector<TextId> lines;
    MessageIcon icon = MessageIcon::None;
    std::optional<TextId> titleId;  // none: the product name
    std::optional<Error> cause;
    int64_t amount = 0;
    std::string detail;  // Lines: a value the lines lead up to (a file name), on a line of its own

    static Notice Say(std::vector<TextId> lines, MessageIcon icon, std::optional<TextId> titleId = std::nullopt);
    static Notice Engine(const Error& error);
    static Notice Failure(TextId commandTextId, const Error& cause);
    // The lines, then the cause when it says anything.
    static Notice WithCause(std::vector<TextId> lines, MessageIcon icon, const Error& cause);
};

Message RenderNotice(int languageBase, const Notice& notice, MessageButtons buttons = MessageButtons::Ok);

// The error as the cause of a failed command, in the program's language: its sentence, then
// ": " and the system's text for the number and the file; for Io only the latter (or "unknown
// error" when there is nothing).
std::string DescribeError(const ProgramSettings& program, const Error& error);
std::string DescribeError(int languageBase, const Error& error);

// False only for an Io error without number or file: nothing to tell beyond the headline.
bool SaysAnything(const Error& error);

// CR LF and "(" the error's description ")" when the error says anything.
void AppendCause(const ProgramSettings& program, Message& message, const Error& error);

}  // namespace tarnwerk
