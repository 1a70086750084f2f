// Files dropped on a widget, handed on as a list of local paths. The receiver decides what a
// drop of several files means; data that is not a list of files is refused at the door.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QMimeData;

namespace tarnwerk {

// Local paths of the dropped files; empty when the data is not made only of local files.
std::vector<std::string> DroppedFiles(const QMimeData& data);

class FileDropFilter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const std::vector<std::string>&)>;

    FileDropFilter(Handler handler, QObject* parent);
    // Installs the filter on the widget and lets it take drops.
    void Watch(QWidget* widget);
    void SetAccepting(bool accepting) { accepting_ = accepting; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler handler_;
    bool accepting_ = true;
};

}  // namespace tarnwerk
