// The mailing commands. They live apart from the other commands so that a front end without
// mail (the command-line tool) links neither them nor the zip library.
#include "app/Commands.h"
#include "app/Mail.h"
#include "app/Session.h"
#include "app/Workflows.h"

namespace tarnwerk {

bool Commands::SendCarrier() {
    if (!session_.carrier.IsLoaded()) SelectCarrier();
    return session_.carrier.IsLoaded() && MailCarrier(*this, session_, ui_, desktop_);
}

bool Commands::HideAndSend() {
    session_.mailAfterHide = true;
    const bool hidden = RunHide(*this, session_, ui_);
    // The hide clears the flag only when it succeeded.
    if (session_.mailAfterHide || !hidden) {
        session_.mailAfterHide = false;
        return false;
    }
    return MailCarrier(*this, session_, ui_, desktop_);
}

}  // namespace tarnwerk
