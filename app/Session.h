// The window's state, in its parts: settings, the loaded carrier, the fields, and what one
// command leaves for the next.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/UseCases.h"
#include "config/Settings.h"
#include "core/CarrierFacts.h"

namespace tarnwerk {

// The seven text fields of the main window.
struct WindowFields {
    std::string origFile;      // txtOrigFile
    std::string oTyp;          // txtOTyp
    std::string oSize;         // txtOSize
    std::string oFree;         // txtOFree
    std::string oFreeCaption;  // lblCarrierFree: the room the method offers ("" keeps the caption)
    std::string dataFile;      // txtDataFile (hide: input; extract/export: output)
    std::string dOrigSize;     // txtDOrigSize
    std::string dSize;         // txtDSize
    int64_t dSizeBytes = 0;    // the number txtDSize shows, so a language switch can write it anew
};

// The settings and what is derived from them (Main, options dialog). Use cases get only the
// typed part they need (Options()), never the record itself.
struct ProgramSettings {
    std::string iniPath;
    std::string appPath;  // folder that holds the help file (the program folder, or its data folder)
    SettingsRecord settings;
    int languageBase = 0;
    std::vector<FileFilter> carrierFilter;  // built once at start, in the start language

    std::string Text(TextId id) const;  // string table entry at languageBase + id
    // The settings a payload is made with, typed.
    PayloadOptions Options() const;
};

// What the window's commands carry from one command to the next.
struct CommandState {
    std::string dataExtension;  // DataExtension: extension recorded in the next hide
    int64_t payloadSize = 0;    // PayloadSize: prepared payload of the last hide or size calculation
    // The new file the last hide wrote for the loaded carrier (the original kept), which Send
    // then mails; "" when it wrote into the carrier.
    std::string resultPath;
};

// The window's state: its settings, the carrier loaded last, the fields it shows and what
// the commands carry over. Only the window's thread touches it: a running use case works on
// the copies its request holds.
struct Session : ProgramSettings, CommandState {
    CarrierFacts carrier;
    WindowFields fields;
};

}  // namespace tarnwerk
