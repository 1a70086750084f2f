// The two size fields of the data file. They only update session.fields; the caller shows
// them with ui.FieldsChanged().
#pragma once

#include <cstdint>
#include <string>

namespace tarnwerk {

struct Session;

// txtDOrigSize: the size of the data file as the user chose it ("" when it cannot be read).
void ShowDataFileInfoOrigSize(Session& session, const std::string& path);
// txtDSize: the size of the prepared (compressed / encrypted) data ("" when it cannot be read).
void ShowDataFileInfoSize(Session& session, const std::string& path);
// txtDSize for a size that no file has yet (the authenticated cipher's output, counted).
void ShowDataFileInfoSize(Session& session, int64_t size);
// Both size fields written again in the session's current language (after a language switch).
void RewriteDataFileInfo(Session& session);

}  // namespace tarnwerk
