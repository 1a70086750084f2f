// Hand-offs to the desktop: default application, mail program. Real implementation uses
// xdg-open and xdg-email; tests substitute their own.
#pragma once

#include <functional>
#include <string>

namespace tarnwerk {

// Told once, when the started helper program has ended: true when it reported success.
// XdgDesktop tells it on a helper thread; the window hands it on to its own thread.
using LaunchEnded = std::function<void(bool succeeded)>;

class Desktop {
public:
    virtual ~Desktop() = default;
    // Starts the default application for the file or URL and returns at once: false when no
    // helper program could be started at all. ended may be empty.
    virtual bool Open(const std::string& fileOrUrl, LaunchEnded ended) = 0;
    // The same for a new message in the mail program with this attachment.
    virtual bool ComposeMailWithAttachment(const std::string& path, LaunchEnded ended) = 0;
};

// xdg-open / xdg-email, run without a shell and never waited for by the caller: without a
// desktop environment xdg-open runs the viewer in the foreground until it is closed. A helper
// thread waits for the program's end (so no zombie remains) and reads its exit status.
class XdgDesktop : public Desktop {
public:
    bool Open(const std::string& fileOrUrl, LaunchEnded ended) override;
    bool ComposeMailWithAttachment(const std::string& path, LaunchEnded ended) override;
};

}  // namespace tarnwerk
