// LoadCarrier: validate a carrier file and fill the four carrier fields.
#pragma once

#include <string>

namespace tarnwerk {

struct Session;
class UserInterface;

// Trims the path, analyses the file and, when it can carry data, stores its facts in the
// session and fills origFile, oTyp, oSize, oFree. On rejection empties those four fields,
// unloads the carrier and shows message A, B or C. Does not call ui.FieldsChanged().
bool LoadCarrierInto(Session& session, UserInterface& ui, const std::string& path);

// The selection dialogs' test: a regular file that may be read and written (the original
// accepted only entries with no attribute but "archive", so read-only files are refused).
bool IsUsableCarrierFile(const std::string& path);

}  // namespace tarnwerk
