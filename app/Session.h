// The program's shared state as one explicit struct that the front-end owns and hands to
// the workflows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "core/CarrierFacts.h"

namespace tarnwerk {

// The seven text fields of the main window.
struct WindowFields {
    std::string origFile;   // txtOrigFile
    std::string oTyp;       // txtOTyp
    std::string oSize;      // txtOSize
    std::string oFree;      // txtOFree
    std::string dataFile;   // txtDataFile (hide: input; extract/export: output)
    std::string dOrigSize;  // txtDOrigSize
    std::string dSize;      // txtDSize
    int64_t dSizeBytes = 0;  // the number txtDSize shows, so a language switch can write it anew
};

struct Session {
    // Settings and what is derived from them (Main, options dialog).
    std::string iniPath;
    std::string appPath;  // folder that holds the help file (the program folder, or its data folder)
    SettingsRecord settings;
    int bitsPerByte = 2;
    int languageBase = 0;
    std::vector<FileFilter> carrierFilter;  // built once at start, in the start language

    // Carrier loaded last and the window's fields.
    CarrierFacts carrier;
    WindowFields fields;

    std::string dataExtension;    // DataExtension: extension recorded in the next hide
    std::string headerExtension;  // HeaderExtension: extension found by the last probe
    int64_t payloadSize = 0;      // PayloadSize: prepared payload of the last hide or size calculation
    bool mailAfterHide = false;   // MailAfterHide
    // Where the next hide writes its result, the carrier staying as it was; "" writes into
    // the carrier (or asks for a name when settings.KeepOriginal is on).
    std::string hideOutput;
    // The new file the last hide wrote for the loaded carrier, which Send then mails; "" when
    // it wrote into the carrier.
    std::string resultPath;

    std::string Text(int id) const;  // string table entry at languageBase + id
};

}  // namespace tarnwerk
