// The desktop hand-offs as the window uses them: a helper program's end, told on a helper
// thread, reaches the window's thread, and only while the window still exists.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/Desktop.h"

namespace tarnwerk {

class WindowDesktop : public Desktop {
public:
    WindowDesktop(Desktop& inner, QWidget& window) : inner_(inner), window_(&window) {}

    bool Open(const std::string& fileOrUrl, LaunchEnded ended) override;
    bool ComposeMailWithAttachment(const std::string& path, LaunchEnded ended) override;

private:
    LaunchEnded OnWindowThread(LaunchEnded ended) const;

    Desktop& inner_;
    QPointer<QWidget> window_;
};

}  // namespace tarnwerk
