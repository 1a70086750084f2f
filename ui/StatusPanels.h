// clsStatusBar: the main window's status bar, four sunken text panels along the bottom of
// the window. The three right panels are at least as wide as designed and grow with their
// text; the first one takes the rest.
#pragma once

#include <QWidget>
#include <array>

class QLabel;

namespace tarnwerk {

class clsStatusBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPanels = 4;
    static constexpr int kHeight = 20;

    // Placed at the bottom kHeight pixels of a host innerWidth x innerHeight pixels large.
    clsStatusBar(QWidget* host, int innerWidth, int innerHeight);

    // Follows the host's new inner size.
    void PlaceAtBottom(int innerWidth, int innerHeight);
    void SetText(int part, const QString& text);  // parts outside 0..3 are ignored
    QString Text(int part) const;
    QRect PanelGeometry(int part) const;

private:
    void ArrangePanels();

    std::array<QLabel*, kPanels> panels_{};
};

}  // namespace tarnwerk
