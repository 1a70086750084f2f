// The program's shared state as one explicit struct that the front-end owns and hands to
// the workflows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "app/UseCases.h"
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

    std::string dataExtension;  // DataExtension: extension recorded in the next hide
    int64_t payloadSize = 0;    // PayloadSize: prepared payload of the last hide or size calculation

    std::string Text(int id) const;  // string table entry at languageBase + id
    // The settings a payload is made with, typed.
    PayloadOptions Options() const;
};

}  // namespace tarnwerk
