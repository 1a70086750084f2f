// frmOpt, the settings dialog. It edits controls only: Save hands the record to Commands,
// which writes the file; closing the dialog lets the new language take effect.
#pragma once

#include <QDialog>

#include "config/Settings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QRadioButton;

class QVBoxLayout;

namespace tarnwerk {

class Commands;
class DialogHost;
struct Session;

class frmOpt : public QDialog {
    Q_OBJECT
public:
    frmOpt(const Session& session, Commands& commands, DialogHost& host, QWidget* parent = nullptr);

    // The record the controls describe; a list without a selection keeps the stored value.
    SettingsRecord Record() const;
    void Save();
    // The dialog's unload: runs once, however the dialog was closed.
    void Unload();

    void done(int result) override;

private:
    void BuildControls();
    // The option groups and the language row, top to bottom.
    void BuildSettingGroups(QVBoxLayout& layout);
    QGroupBox* BuildMethodGroup();
    void Load();
    // The stealth method always seals with XChaCha20-Poly1305: the cipher controls show it and
    // are locked while it is chosen, and get the classic choice back when it is not.
    void ShowMethod(bool stealth);

    const Session& session_;
    Commands& commands_;
    bool unloaded_ = false;

    QComboBox* comboBits_ = nullptr;
    QComboBox* comboAlgorithmus_ = nullptr;
    QComboBox* comboLanguage_ = nullptr;
    QCheckBox* checkCompress_ = nullptr;
    QCheckBox* checkEncrypt_ = nullptr;
    QCheckBox* checkEndMsg_ = nullptr;
    QCheckBox* checkEndReset_ = nullptr;
    QCheckBox* checkSendCompress_ = nullptr;
    QCheckBox* checkSendDelete_ = nullptr;
    QRadioButton* optClassic_ = nullptr;
    QRadioButton* optStealth_ = nullptr;
    // The classic method's cipher choice, kept while the stealth method shows its own.
    int classicCipher_ = -1;
    bool classicEncrypt_ = true;
    QCheckBox* checkKeepOriginal_ = nullptr;
};

}  // namespace tarnwerk
