// Steps the hide, extract, export and size use cases share. A step that cannot go on records
// why in the outcome (ending and notice) and returns false or nullopt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/UseCases.h"
#include "base/Result.h"
#include "base/ScratchFile.h"

namespace tarnwerk {

struct PassphraseSecrets;
struct PayloadSource;

// Ends the outcome: Cancelled for a Cancelled error (nothing to tell), else the given ending
// with the notice.
void Stop(Outcome& outcome, Ending ending, Notice notice);
void StopOn(Outcome& outcome, const Error& error, Notice notice);

// A passphrase from the prompter: false when it was cancelled (Cancelled) or holds characters
// the code page cannot store (Refused, with the notice). The typed text is wiped.
bool AcceptPassphrase(std::optional<std::string> typed, PassphraseSecrets& secrets, Outcome& outcome);

// Refuses an output that is the carrier itself (any spelling or link of it) or an existing
// node that is no regular file (a FIFO, a device): true when it may be written.
bool AcceptOutputName(const std::string& carrierPath, const std::string& outputPath, Outcome& outcome);

// Asks before an existing output file is replaced; true when it may be written.
bool MayReplaceOutput(Prompter& prompter, const std::string& outputPath, Outcome& outcome);

// The payload before encryption: the data file copied, or streamed through deflate at level 9
// (constant memory, with progress), in an unnamed scratch file beside it (or in the temporary
// folder when that folder takes no files). failureTextId names the command in the notice.
std::optional<ScratchFile> PreparePlainPayload(const std::string& dataPath, bool compress, ProgressSink& progress,
                                               TextId failureTextId, Outcome& outcome);

// The prepared size without writing it anywhere: the data file's length, or with compression
// the length CompressFile would write, counted while streaming (constant memory). Data that can
// be read only once (a pipe) goes through a scratch file as for a hide.
std::optional<int64_t> MeasurePlainPayload(const std::string& dataPath, bool compress, ProgressSink& progress,
                                           TextId failureTextId, Outcome& outcome);
// The size after encryption with the cipher, from its envelope; "Encryption failed!" with the
// reason when the cipher would refuse such input.
std::optional<int64_t> MeasureEncryptedPayload(CipherIndex cipher, int64_t plainSize, Outcome& outcome);

// True when a hide without compression and encryption may read the data straight from its
// file: a readable regular file (a pipe's length is known only once it is copied).
bool CanReadDataInPlace(const std::string& dataPath);

// Seals the scratch file (replacing it by a sealed scratch file) with source.cipher and the
// passphrase bytes, and sets source.checkValue to what the header then stores. A randomised
// seal's output that holds the end marker is made again with fresh random values, a few times
// at most.
bool EncryptPayload(ScratchFile& scratch, const std::string& passphrase, PayloadSource& source, ProgressSink& progress,
                    TextId failureTextId, Outcome& outcome);

int64_t FileSize(const std::string& path);

// The stored extension of the carrier's payload when it may name a file ("" otherwise), and
// the output path proposed for it: beside the carrier, named like it, never the carrier itself.
std::string StoredExtension(const CarrierFacts& carrier);
std::string ProposedOutputPath(const std::string& carrier, const std::string& extension);

}  // namespace tarnwerk
