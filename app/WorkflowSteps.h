// Steps the hide, extract, export and size workflows share.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/ScratchFiles.h"
#include "app/UserInterface.h"
#include "config/Result.h"

namespace tarnwerk {

class Commands;
struct Session;
class UserInterface;

struct PassphraseSecrets;

// A passphrase from a dialog: false when it was cancelled or holds characters the code page
// cannot store (then the message says so). The typed text is wiped.
bool AcceptPassphrase(const Session& session, UserInterface& ui, std::optional<std::string> typed,
                      PassphraseSecrets& secrets);

// A loaded carrier, opening the carrier dialog once when there is none.
bool EnsureCarrier(Commands& commands, Session& session);
// A data or output file name, opening the data dialog once when the field is empty.
bool EnsureDataFile(Commands& commands, Session& session);
// The output file of extract and export: the front-end's save dialog (titleId) proposing the
// stored extension beside the carrier; a front-end without one names it in the data field,
// else the data dialog opens and offers the stored extension.
bool EnsureOutputFile(Commands& commands, Session& session, UserInterface& ui, int titleId);
// The field's path without surrounding blanks.
std::string DataPath(const Session& session);

// Asks before an existing output file is replaced; true when it may be written.
bool MayReplaceOutput(const Session& session, UserInterface& ui, const std::string& outputPath);

// The payload before encryption: the data file copied, or compressed at level 9, in a scratch
// file beside it (or in the temporary folder when that folder takes no files). Shows the
// failure message (415, or failureTextId with the error) and returns nullopt on failure.
std::optional<ScratchFile> PreparePlainPayload(Session& session, UserInterface& ui, const std::string& dataPath,
                                               int failureTextId);

// True when a hide without compression and encryption may read the data straight from its
// file: a readable regular file (a pipe's length is known only once it is copied). The carrier
// itself never fits into its own room, so it is refused before anything is written.
bool CanReadDataInPlace(const std::string& dataPath);

// Encrypts the scratch file in place with the stored-format cipher index under the key
// string, or, for index 5, with the passphrase bytes, salt and header. Shows "Encryption
// failed!" with the reason on failure.
struct EncryptionInput {
    uint8_t cipher = 0;
    std::string key;              // MakeKey string (stored-format ciphers)
    std::string passphraseBytes;  // index 5
    std::string salt;             // index 5
    std::string header;           // index 5: the header bytes, authenticated with the data
};
bool EncryptPayload(Session& session, UserInterface& ui, ScratchFile& scratch, const EncryptionInput& input,
                    int failureTextId);

// Bytes a carrier area must offer for a prepared payload of payloadSize (the engine's own
// test: markers, header and a reserve of 8 stream bytes).
int64_t NeededCarrierArea(int64_t payloadSize, bool encrypted, int bitsPerByte);

int64_t FileSize(const std::string& path);

// The end of a command that succeeded: its success message unless ShowEndMessage is off, then
// the reset when ResetOnEnd is on and mayReset allows it.
void EndWithSuccess(Commands& commands, Session& session, UserInterface& ui, int successTextId, bool mayReset = true);

// CR LF and "(" the error's description ")" when the error says anything.
void AppendCause(Message& message, const Error& error);

}  // namespace tarnwerk
