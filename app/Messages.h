// Turns results into the string-table messages the user sees. The message ids live here and
// in the workflows that compose them; nothing below app/ builds user-visible text.
#pragma once

#include <initializer_list>
#include <string>

#include "app/UserInterface.h"
#include "config/Result.h"

namespace tarnwerk {

struct Session;

inline constexpr const char* kProductName = "Tarnwerk";

// Ids joined by CR LF, with the given icon, buttons and title.
Message MakeMessage(const Session& session, std::initializer_list<int> ids, MessageIcon icon, int titleId,
                    MessageButtons buttons = MessageButtons::Ok);
// Same, titled with the product name.
Message MakeProductMessage(const Session& session, std::initializer_list<int> ids, MessageIcon icon,
                           MessageButtons buttons = MessageButtons::Ok);

// The message an error shows: the codes with a message of their own (NoCarrier 439/407,
// NoPayload 440/407, PayloadTooLarge 433/434 title 432, NoDataFound 444/407, CarrierBusy
// 464/465 title 407, NotRegularFile 472/471 product name, EndMarkerInData 490-492 product name,
// ShortColourTable 493/494 title 407, CarrierShrank 495/496 title 316, NoSamplePlane 540/609
// and CarrierTooSmall 608/609 title 407, NothingFound 542 product name) show it as it is; Io
// shows "317 <errno> 318", every other code its sentence (530-546), then CR LF "(" the system's
// text for the number and the file ")" when there is one, title 316.
Message EngineErrorMessage(const Session& session, const Error& error);

// A command's run-time failure: its own text id, CR LF, "(" description ")", critical, product
// name as title (436 hide, 431 extract, 421 size calculation).
Message CommandFailureMessage(const Session& session, int commandTextId, const std::string& description);

// The error as the cause of a failed command, in the session's language: its sentence, then
// ": " and the system's text for the number and the file; for Io only the latter (or "unknown
// error" when there is nothing).
std::string DescribeError(const Session& session, const Error& error);

// False only for an Io error without number or file: nothing to tell beyond the headline.
bool SaysAnything(const Error& error);

// CR LF and "(" the error's description ")" when the error says anything.
void AppendCause(const Session& session, Message& message, const Error& error);

}  // namespace tarnwerk
