// Where the window's modal dialogs run. The program runs them with exec() and the Qt file
// dialog; tests put a scripted host in its place, so no dialog ever blocks a test.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "config/Settings.h"

class QDialog;
class QWidget;

namespace tarnwerk {

class DialogHost {
public:
    virtual ~DialogHost() = default;
    // Runs a dialog modally and returns its result (a QMessageBox returns the button pressed).
    virtual int Exec(QDialog& dialog) = 0;
    // An open-file dialog showing folder first; "" when cancelled. mustExist: the chosen file
    // has to exist.
    virtual QString OpenFile(QWidget* parent, const QString& title, const QStringList& filters, bool mustExist,
                             const QString& folder) = 0;
    // A save dialog proposing the path (its folder and name); "" when cancelled. It does not
    // ask about an existing file: the caller asks, with No as the default answer.
    virtual QString SaveFile(QWidget* parent, const QString& title, const QStringList& filters,
                             const QString& proposed) = 0;
};

class QtDialogHost : public DialogHost {
public:
    int Exec(QDialog& dialog) override;
    QString OpenFile(QWidget* parent, const QString& title, const QStringList& filters, bool mustExist,
                     const QString& folder) override;
    QString SaveFile(QWidget* parent, const QString& title, const QStringList& filters,
                     const QString& proposed) override;
};

// Qt reads the patterns of a filter entry from its trailing parentheses, separated by blanks;
// the table's entries carry them separated by ";" (and the "all supported" entry has none).
QStringList QtFilterList(const std::vector<FileFilter>& filter);

}  // namespace tarnwerk
