#include "app/Messages.h"

#include <cstring>

#include "app/Session.h"

namespace tarnwerk {

namespace {

constexpr int kIncorrectFileTitle = 407;
constexpr int kErrorTitle = 316;

std::string Join(const Session& session, std::initializer_list<int> ids) {
    std::string text;
    for (int id : ids) {
        if (!text.empty()) text += "\r\n";
        text += session.Text(id);
    }
    return text;
}

}  // namespace

Message MakeMessage(const Session& session, std::initializer_list<int> ids, MessageIcon icon, int titleId,
                    MessageButtons buttons) {
    return Message{Join(session, ids), icon, buttons, session.Text(titleId)};
}

Message MakeProductMessage(const Session& session, std::initializer_list<int> ids, MessageIcon icon,
                           MessageButtons buttons) {
    return Message{Join(session, ids), icon, buttons, kProductName};
}

std::string DescribeError(const Error& error) {
    std::string text = error.detail;
    if (text.empty() && error.number != 0) text = std::strerror(error.number);
    if (text.empty()) text = "unknown error";
    if (!error.path.empty()) text += ": " + error.path;
    return text;
}

Message EngineErrorMessage(const Session& session, const Error& error) {
    switch (error.code) {
        case ErrorCode::NoCarrier:
            return MakeMessage(session, {439}, MessageIcon::Exclamation, kIncorrectFileTitle);
        case ErrorCode::NoPayload:
            return MakeMessage(session, {440}, MessageIcon::Exclamation, kIncorrectFileTitle);
        case ErrorCode::PayloadTooLarge:
            return MakeMessage(session, {433, 434}, MessageIcon::Exclamation, 432);
        case ErrorCode::NoDataFound:
            return MakeMessage(session, {444}, MessageIcon::Exclamation, kIncorrectFileTitle);
        case ErrorCode::CarrierBusy:
            return MakeMessage(session, {464, 465}, MessageIcon::Exclamation, kIncorrectFileTitle);
        case ErrorCode::NotRegularFile:
            return MakeProductMessage(session, {472, 471}, MessageIcon::Exclamation);
        case ErrorCode::EndMarkerInData:
            return MakeProductMessage(session, {490, 491, 492}, MessageIcon::Exclamation);
        case ErrorCode::ShortColourTable:
            return MakeMessage(session, {493, 494}, MessageIcon::Exclamation, kIncorrectFileTitle);
        case ErrorCode::CarrierShrank:
            return MakeMessage(session, {495, 496}, MessageIcon::Critical, kErrorTitle);
        default: {
            std::string text = session.Text(317) + " " + std::to_string(error.number) + " " + session.Text(318) +
                               "\r\n(" + DescribeError(error) + ")";
            return Message{text, MessageIcon::Critical, MessageButtons::Ok, session.Text(kErrorTitle)};
        }
    }
}

Message CommandFailureMessage(const Session& session, int commandTextId, const std::string& description) {
    return Message{session.Text(commandTextId) + "\r\n(" + description + ")", MessageIcon::Critical,
                   MessageButtons::Ok, kProductName};
}

}  // namespace tarnwerk
