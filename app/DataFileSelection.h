// Choosing, dropping and typing the data file (hide: input; extract and export: output).
#pragma once

#include <string>
#include <vector>

#include "config/Settings.h"

namespace tarnwerk {

struct Session;
class UserInterface;

// "<OriginalExtensionFilter> (*.<ext>)" first while an extraction names an original extension,
// then "<AllFilesFilter> (*.*)".
std::vector<FileFilter> DataFileFilter(const Session& session);

// The data dialog (DataDialogTitle); false when it was cancelled. Fills dataFile, dOrigSize and
// dSize and records the extension the next hide stores.
bool ChooseDataFileInto(Session& session, UserInterface& ui);

// A path chosen in the dialog: with a pending original extension the name gets that
// extension appended unless it already has it.
void ApplyChosenDataFile(Session& session, const std::string& path);

// A dropped or typed path. Records the file's own extension as the dialog does, so the next
// hide never stores the extension of a file chosen earlier.
void ApplyGivenDataFile(Session& session, const std::string& path);

}  // namespace tarnwerk
