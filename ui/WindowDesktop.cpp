#include "ui/WindowDesktop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <utility>

namespace tarnwerk {

LaunchEnded WindowDesktop::OnWindowThread(LaunchEnded ended) const {
    if (!ended) return {};
    return [window = window_, ended = std::move(ended)](bool succeeded) {
        QCoreApplication* application = QCoreApplication::instance();
        if (application == nullptr) return;  // the program is ending
        // Queued to the application object, which outlives the window; the window is checked
        // on its own thread, where it can be deleted.
        QMetaObject::invokeMethod(
            application,
            [window, ended, succeeded] {
                if (window) ended(succeeded);
            },
            Qt::QueuedConnection);
    };
}

bool WindowDesktop::Open(const std::string& fileOrUrl, LaunchEnded ended) {
    return inner_.Open(fileOrUrl, OnWindowThread(std::move(ended)));
}

bool WindowDesktop::ComposeMailWithAttachment(const std::string& path, LaunchEnded ended) {
    return inner_.ComposeMailWithAttachment(path, OnWindowThread(std::move(ended)));
}

}  // namespace tarnwerk
