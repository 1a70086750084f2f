// Turns results into the string-table messages the user sees. The message ids live here and
// in the workflows that compose them; nothing below app/ builds user-visible text.
#pragma once

#include <initializer_list>
#include <string>

#include "app/UserInterface.h"
#include "base/Result.h"
#include "config/TextId.h"

namespace tarnwerk {

struct Session;

inline constexpr const char* kProductName = "Tarnwerk";

// Ids joined by CR LF, with the given icon, buttons and title.
Message MakeMessage(const Session& session, std::initializer_list<TextId> ids, MessageIcon icon, TextId titleId,
                    MessageButtons buttons = MessageButtons::Ok);
// Same, titled with the product name.
Message MakeProductMessage(const Session& session, std::initializer_list<TextId> ids, MessageIcon icon,
                           MessageButtons buttons = MessageButtons::Ok);

// The message an error shows: the codes with a message of their own (NoCarrier, NoPayload,
// PayloadTooLarge, NoDataFound, CarrierBusy, NotRegularFile, EndMarkerInData, ShortColourTable,
// CarrierShrank, SameFile, and the stealth method's NoSamplePlane, CarrierTooSmall and
// NothingFound) show it as it is; Io shows "ErrorNumberText <errno>
// ErrorOccurredText", every other code its cause sentence, then CR LF "(" the system's text for
// the number and the file ")" when there is one, titled ErrorTitle.
Message EngineErrorMessage(const Session& session, const Error& error);

// A command's run-time failure: its own text id, CR LF, "(" description ")", critical, product
// name as title (HideErrorText, ExtractErrorText, SizeErrorText).
Message CommandFailureMessage(const Session& session, TextId commandTextId, const std::string& description);

// The error as the cause of a failed command, in the session's language: its sentence, then
// ": " and the system's text for the number and the file; for Io only the latter (or "unknown
// error" when there is nothing).
std::string DescribeError(const Session& session, const Error& error);

// False only for an Io error without number or file: nothing to tell beyond the headline.
bool SaysAnything(const Error& error);

// CR LF and "(" the error's description ")" when the error says anything.
void AppendCause(const Session& session, Message& message, const Error& error);

}  // namespace tarnwerk
