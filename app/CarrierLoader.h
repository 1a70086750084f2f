// LoadCarrier: validate a carrier file and fill the four carrier fields.
#pragma once

#include <string>

#include "app/Messages.h"
#include "core/CarrierAnalysis.h"

namespace tarnwerk {

struct Session;
class UserInterface;

// What the carrier fields show: type, size and free room, in the language.
struct CarrierTexts {
    std::string type, size, free;
};
CarrierTexts DescribeCarrier(int languageBase, const CarrierAnalysis& analysis, int bitsPerByte, bool encrypt);

// Why the analysis did not accept a carrier, as a message box.
Message CarrierRefusal(int languageBase, const CarrierAnalysis& analysis);

// Trims the path, analyses the file and, when it can carry data, stores its facts in the
// session and fills origFile, oTyp, oSize, oFree. On rejection empties those four fields,
// unloads the carrier and shows message A, B or C. Does not call ui.FieldsChanged().
bool LoadCarrierInto(Session& session, UserInterface& ui, const std::string& path);

// The selection dialogs' test: a regular file that may be read and written (the original
// accepted only entries with no attribute but "archive", so read-only files are refused).
bool IsUsableCarrierFile(const std::string& path);

}  // namespace tarnwerk
