#include "ui/FileDrop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace tarnwerk {

std::vector<std::string> DroppedFiles(const QMimeData& data) {
    std::vector<std::string> files;
    if (!data.hasUrls()) return files;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) return {};
        files.push_back(url.toLocalFile().toStdString());
    }
    return files;
}

FileDropFilter::FileDropFilter(Handler handler, QObject* parent) : QObject(parent), handler_(std::move(handler)) {}

void FileDropFilter::Watch(QWidget* widget) {
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

bool FileDropFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            const bool files = accepting_ && !DroppedFiles(*drag->mimeData()).empty();
            if (files) {
                drag->acceptProposedAction();
            } else {
                drag->ignore();
            }
            return true;  // a text field must not take dragged text either
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::vector<std::string> files = DroppedFiles(*drop->mimeData());
            if (accepting_ && !files.empty()) {
                drop->acceptProposedAction();
                handler_(files);
            } else {
                drop->ignore();
            }
            return true;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tarnwerk
