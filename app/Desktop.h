// Hand-offs to the desktop: default application, mail program. Real implementation uses
// xdg-open and xdg-email; tests substitute their own.
#pragma once

#include <string>

namespace tarnwerk {

class Desktop {
public:
    virtual ~Desktop() = default;
    // True when an application could be started for the file or URL.
    virtual bool Open(const std::string& fileOrUrl) = 0;
    // True when the mail program accepted a new message with this attachment.
    virtual bool ComposeMailWithAttachment(const std::string& path) = 0;
};

// xdg-open / xdg-email, run without a shell; their exit status decides.
class XdgDesktop : public Desktop {
public:
    bool Open(const std::string& fileOrUrl) override;
    bool ComposeMailWithAttachment(const std::string& path) override;
};

}  // namespace tarnwerk
