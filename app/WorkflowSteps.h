// Steps the hide, extract, export and size workflows share.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/UserInterface.h"
#include "config/Result.h"
#include "config/ScratchFile.h"

namespace tarnwerk {

class Commands;
struct Session;
class UserInterface;

struct PassphraseSecrets;
struct PayloadSource;

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
// The field's path exactly as given: blanks at either end belong to a file name.
std::string DataPath(const Session& session);

// Refuses, with a message, an output that is the carrier itself (any spelling or link of it)
// or an existing node that is no regular file (a FIFO, a device): true when it may be written.
bool AcceptOutputName(const Session& session, UserInterface& ui, const std::string& outputPath);

// Asks before an existing output file is replaced; true when it may be written.
bool MayReplaceOutput(const Session& session, UserInterface& ui, const std::string& outputPath);

// The payload before encryption: the data file copied, or streamed through deflate at level 9
// (constant memory, with progress), in an unnamed scratch file beside it (or in the temporary
// folder when that folder takes no files). Shows the failure message (415, or failureTextId
// with the error) and returns nullopt on failure.
std::optional<ScratchFile> PreparePlainPayload(Session& session, UserInterface& ui, const std::string& dataPath,
                                               int failureTextId);

// The prepared size without writing it anywhere: the data file's length, or with compression
// the length CompressFile would write, counted while streaming through deflate (constant
// memory). Data that can be read only once (a pipe) goes through a scratch file as for a hide.
// Shows the failure message and returns nullopt on failure.
std::optional<int64_t> MeasurePlainPayload(Session& session, UserInterface& ui, const std::string& dataPath,
                                           int failureTextId);
// The size after encryption with the cipher of the settings, from its envelope. Shows
// "Encryption failed!" with the reason when the cipher would refuse such input.
std::optional<int64_t> MeasureEncryptedPayload(const Session& session, UserInterface& ui, int64_t plainSize);

// True when a hide without compression and encryption may read the data straight from its
// file: a readable regular file (a pipe's length is known only once it is copied). The carrier
// itself never fits into its own room, so it is refused before anything is written.
bool CanReadDataInPlace(const std::string& dataPath);

// Seals the scratch file (replacing it by a sealed scratch file) with source.cipher and the
// passphrase bytes, and sets source.checkValue to what the header then stores. A randomised
// seal's output that holds the end marker is made again with fresh random values, a few times
// at most. Shows "Encryption failed!" with the reason on failure.
bool EncryptPayload(Session& session, UserInterface& ui, ScratchFile& scratch, const std::string& passphrase,
                    PayloadSource& source, int failureTextId);

int64_t FileSize(const std::string& path);

// The end of a command that succeeded: its success message unless ShowEndMessage is off, then
// the reset when ResetOnEnd is on and mayReset allows it.
void EndWithSuccess(Commands& commands, Session& session, UserInterface& ui, int successTextId, bool mayReset = true,
                    const std::string& moreLines = {});

}  // namespace tarnwerk
