// Handing the carrier (optionally packed into a zip archive beside it) to the mail program.
#pragma once

#include <string>

namespace tarnwerk {

class Commands;
class Desktop;
struct Session;
class UserInterface;

// The carrier path without its extension and dot, followed by ".zip".
std::string ArchiveNameFor(const std::string& carrierPath);

// The mailing steps shared by "send carrier" and "hide and send": pack when SendCompress is
// on, compose the mail, reset after a successful hand-off when ResetOnEnd is on. With SendDelete
// on, an archive the mail program took is listed for removal at a later start (MailedArchives.h);
// one it did not take is deleted at once. True when the mail program took the attachment.
bool MailCarrier(Commands& commands, Session& session, UserInterface& ui, Desktop& desktop);

}  // namespace tarnwerk
