// The mailing commands. They live apart from the other commands so that a front end without
// mail (the command-line tool) links neither them nor the zip library.
#include "app/Commands.h"
#include "app/Mail.h"
#include "app/Session.h"
#include "app/Workflows.h"

namespace tarnwerk {

namespace {

// Marks a short command (mailing) as running so no long one starts in between.
class RunningMark {
public:
    explicit RunningMark(Session& session) : session_(session) { session_.commandRunning = true; }
    ~RunningMark() { session_.commandRunning = false; }
    RunningMark(const RunningMark&) = delete;
    RunningMark& operator=(const RunningMark&) = delete;

private:
    Session& session_;
};

}  // namespace

bool Commands::SendCarrier() {
    if (session_.commandRunning) return false;
    bool sent = false;
    {
        RunningMark running(session_);
        if (!session_.carrier.IsLoaded()) SelectCarrier();
        sent = session_.carrier.IsLoaded() && MailCarrier(*this, session_, ui_, desktop_);
    }
    return Finish(sent);
}

bool Commands::HideAndSend() {
    if (session_.commandRunning) return false;
    session_.mailAfterHide = true;
    const bool hidden = RunHide(*this, session_, ui_);
    // The hide clears the flag only when it succeeded.
    if (session_.mailAfterHide || !hidden) {
        session_.mailAfterHide = false;
        return Finish(false);
    }
    bool sent = false;
    {
        RunningMark running(session_);
        sent = MailCarrier(*this, session_, ui_, desktop_);
    }
    return Finish(sent);
}

}  // namespace tarnwerk
