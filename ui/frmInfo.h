// frmInfo, the about box: name, version, notices, the credit list and the home-page link.
#pragma once

#include <QDialog>
#include <string>

class QLabel;

namespace tarnwerk {

class Desktop;
class DialogHost;

// The credits of the libraries and algorithms, one per line (CR LF), a blank line after each component's group, no line
// break after the last line.
std::string CreditList(int languageBase);

// "Version 1.0.0 - Freeware" from the build's version.
std::string VersionLine(int languageBase);

class frmInfo : public QDialog {
    Q_OBJECT
public:
    frmInfo(int languageBase, Desktop& desktop, DialogHost& host, QWidget* parent = nullptr);

    // Click on lblLink: the home page in the browser; a message when none could be started.
    void OpenHomePage();

private:
    int languageBase_;
    Desktop& desktop_;
    DialogHost& host_;
    QLabel* lblLink_ = nullptr;
};

}  // namespace tarnwerk
