// Choosing, dropping and typing the data file (hide: input; extract and export: output).
#pragma once

#include <string>
#include <vector>

#include "config/Settings.h"

namespace tarnwerk {

struct Session;
class UserInterface;

// "<405> (*.<ext>)" first when the hidden data's original extension is known, then "<406> (*.*)".
std::vector<FileFilter> DataFileFilter(int languageBase, const std::string& storedExtension);

// The data dialog (title 404); false when it was cancelled. Fills dataFile, dOrigSize and
// dSize and records the extension the next hide stores.
bool ChooseDataFileInto(Session& session, UserInterface& ui);

// The output an extraction or export wrote to: the field shows it, and the next hide stores
// the extension the data had (its own when none was stored).
void ApplyExtractedFile(Session& session, const std::string& path, const std::string& storedExtension);

// A dropped or typed path. Records the file's own extension as the dialog does, so the next
// hide never stores the extension of a file chosen earlier.
void ApplyGivenDataFile(Session& session, const std::string& path);

}  // namespace tarnwerk
