#include "app/WorkflowSteps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "app/Cancellation.h"
#include "app/PassphraseEntry.h"
#include "base/AtomicOutput.h"
#include "base/FileIo.h"
#include "base/Helpers.h"
#include "compression/clsZlib.h"
#include "config/Codepage.h"
#include "core/EndMarkerScan.h"
#include "core/ExtractPayload.h"
#include "core/HidePayload.h"
#include "core/PayloadFormat.h"
#include "crypto/PayloadSeal.h"

namespace tarnwerk {
namespace {
constexpr int16_t kCompressionLevel = 9;
constexpr int kEncryptionAttempts = 8;

bool IsFileOrPipe(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && (S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode));
}

// The carrier, not the user, wrote the stored extension: one holding a folder separator or a
// control character, or only dots, would lead the output elsewhere, so it is not offered.
std::string UsableExtension(const std::string& stored) {
    const bool onlyDots = stored.find_first_not_of('.') == std::string::npos;
    const bool strange = std::any_of(stored.begin(), stored.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '/' || byte < 0x20 || byte == 0x7F;
    });
    return onlyDots || strange ? std::string() : stored;
}

Result<bool> FileCutsAtEndMarker(const std::string& header, const std::string& path) {
    auto fd = OpenFile(path, O_RDONLY);
    if (!fd) return fd.error();
    auto length = FileLength(fd->get(), path);
    if (!length) return length.error();
    return EndMarkerCutsPayload(header, fd->get(), *length, path);
}

// A randomised seal starts its output with fresh random values or a nonce, so another run
// gives other bytes: an output that happens to hold the end marker is made again a few times
// before the hide has to refuse it.
Status SealAvoidingEndMarker(PayloadSeal& seal, const ScratchFile& scratch, const ScratchFile& output,
                             const SealKey& key, const SealCallbacks& callbacks) {
    for (int attempt = 1;; ++attempt) {
        Status sealed = StopOnCancel([&] { return seal.Seal(scratch.path(), output.path(), key, callbacks); });
        if (!sealed) return sealed;
        if (!seal.Randomised() || attempt == kEncryptionAttempts) return {};
        Result<bool> cut = FileCutsAtEndMarker(std::string(key.header), output.path());
        if (!cut) return cut.error();
        if (!*cut) return {};
    }
}

// The header of the sealed payload: it carries the seal's check value and is bound to the data.
Status SealPayload(const ScratchFile& scratch, const ScratchFile& output, const std::string& passphrase,
                   PayloadSource& source, ProgressSink& progress) {
    std::unique_ptr<PayloadSeal> seal = SealFor(static_cast<uint8_t>(source.cipher));
    Result<std::string> checkValue = seal->NewCheckValue(passphrase);
    if (!checkValue) return checkValue.error();
    source.checkValue = std::move(*checkValue);
    const std::string header =
        BuildPayloadHeader(source.compressed, true, source.cipher, source.checkValue, source.extension);
    return SealAvoidingEndMarker(*seal, scratch, output, {passphrase, source.checkValue, header},
                                 CancellableSealCallbacks(progress, TextId::HidingStatus));
}

// Compression reports its progress and stops between two chunks when the user cancels.
clsZlib PayloadCompressor(ProgressSink& progress) {
    progress.SetProgress(0);
    clsZlib zlib;
    zlib.Progress = CancellableProgress(progress);
    return zlib;
}

Notice EncryptionFailure(const Error& error) {
    return Notice::WithCause({TextId::EncryptionFailedText}, MessageIcon::Critical, error);
}

}  // namespace

void Stop(Outcome& outcome, Ending ending, Notice notice) {
    outcome.ending = ending;
    outcome.notices.push_back(std::move(notice));
}

void StopOn(Outcome& outcome, const Error& error, Notice notice) {
    if (IsCancelled(error)) {
        outcome.ending = Ending::Cancelled;
        return;
    }
    Stop(outcome, Ending::Failed, std::move(notice));
}

bool AcceptPassphrase(std::optional<std::string> typed, PassphraseSecrets& secrets, Outcome& outcome) {
    if (!typed) {
        outcome.ending = Ending::Cancelled;
        return false;
    }
    if (DerivePassphrase(*typed, secrets)) return true;
    Stop(outcome, Ending::Refused,
         Notice::Say({TextId::PassphraseCharsText, TextId::PassphraseCharsHint}, MessageIcon::Exclamation));
    return false;
}

bool AcceptOutputName(const std::string& carrierPath, const std::string& outputPath, Outcome& outcome) {
    if (IsSameFile(outputPath, carrierPath)) {
        Stop(outcome, Ending::Refused,
             Notice::Say({TextId::OutputIsCarrierText, TextId::OtherOutputNameHint}, MessageIcon::Exclamation));
        return false;
    }
    if (Status replaceable = CheckReplaceable(outputPath); !replaceable) {
        Stop(outcome, Ending::Refused, Notice::Engine(replaceable.error()));
        return false;
    }
    return true;
}

bool MayReplaceOutput(Prompter& prompter, const std::string& outputPath, Outcome& outcome) {
    struct stat info {};
    if (lstat(outputPath.c_str(), &info) != 0) return true;
    if (prompter.Confirm(Question::ReplaceOutput)) return true;
    outcome.ending = Ending::Refused;
    return false;
}

std::optional<ScratchFile> PreparePlainPayload(const std::string& dataPath, bool compress, ProgressSink& progress,
                                               TextId failureTextId, Outcome& outcome) {
    // A data file that went away since it was chosen is named as such, not as a failed step.
    if (access(dataPath.c_str(), R_OK) != 0) {
        Stop(outcome, Ending::Failed, Notice::Failure(failureTextId, MakeError(ErrorCode::Io, dataPath, errno)));
        return std::nullopt;
    }
    // A device such as /dev/zero never ends: copying it would fill the disk.
    if (!IsFileOrPipe(dataPath)) {
        Stop(outcome, Ending::Refused, Notice::Failure(failureTextId, MakeError(ErrorCode::NotRegularFile, dataPath)));
        return std::nullopt;
    }
    Result<ScratchFile> scratch = ScratchFile::CreateBesideOrInTemp(dataPath);
    if (!scratch) {
        Stop(outcome, Ending::Failed, Notice::Failure(failureTextId, scratch.error()));
        return std::nullopt;
    }
    if (compress) {
        clsZlib zlib = PayloadCompressor(progress);
        Status compressed =
            StopOnCancel([&] { return zlib.CompressFile(dataPath, scratch->path(), kCompressionLevel); });
        if (!compressed) {
            StopOn(outcome, compressed.error(),
                   Notice::WithCause({TextId::CompressionFailedText}, MessageIcon::Critical, compressed.error()));
            return std::nullopt;
        }
    } else if (Status copied = CopyWholeFile(dataPath, scratch->path()); !copied) {
        Stop(outcome, Ending::Failed, Notice::Failure(failureTextId, copied.error()));
        return std::nullopt;
    }
    return std::move(*scratch);
}

std::optional<int64_t> MeasurePlainPayload(const std::string& dataPath, bool compress, ProgressSink& progress,
                                           TextId failureTextId, Outcome& outcome) {
    if (!CanReadDataInPlace(dataPath)) {  // a pipe's length is known only once it is read
        std::optional<ScratchFile> scratch = PreparePlainPayload(dataPath, compress, progress, failureTextId, outcome);
        if (!scratch) return std::nullopt;
        return FileSize(scratch->path());
    }
    if (!compress) return FileSize(dataPath);
    clsZlib zlib = PayloadCompressor(progress);
    Result<int64_t> length = StopOnCancel([&] { return zlib.CompressedFileLength(dataPath, kCompressionLevel); });
    if (!length) {
        StopOn(outcome, length.error(),
               Notice::WithCause({TextId::CompressionFailedText}, MessageIcon::Critical, length.error()));
        return std::nullopt;
    }
    return *length;
}

std::optional<int64_t> MeasureEncryptedPayload(CipherIndex cipher, int64_t plainSize, Outcome& outcome) {
    Result<int64_t> length = SealFor(static_cast<uint8_t>(cipher))->SealedLength(plainSize);
    if (!length) {
        Stop(outcome, Ending::Refused, EncryptionFailure(length.error()));
        return std::nullopt;
    }
    return *length;
}

bool CanReadDataInPlace(const std::string& dataPath) {
    struct stat info {};
    return stat(dataPath.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(dataPath.c_str(), R_OK) == 0;
}

bool EncryptPayload(ScratchFile& scratch, const std::string& passphrase, PayloadSource& source, ProgressSink& progress,
                    TextId failureTextId, Outcome& outcome) {
    Result<ScratchFile> output = ScratchFile::CreateBesideOrInTemp(scratch.beside());
    if (!output) {
        Stop(outcome, Ending::Failed, Notice::Failure(failureTextId, output.error()));
        return false;
    }
    if (Status sealed = SealPayload(scratch, *output, passphrase, source, progress); !sealed) {
        StopOn(outcome, sealed.error(), EncryptionFailure(sealed.error()));
        return false;
    }
    scratch = std::move(*output);
    return true;
}

int64_t FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
}

std::string StoredExtension(const CarrierFacts& carrier) {
    Result<FoundPayload> found = ReadPayloadHeader(carrier);
    return found ? UsableExtension(Cp1252ToUtf8(found->header.extension)) : std::string();
}

std::string ProposedOutputPath(const std::string& carrier, const std::string& extension) {
    const std::string carrierExtension = GetExtension(carrier);
    const std::string base =
        carrierExtension.empty() ? carrier : carrier.substr(0, carrier.size() - carrierExtension.size() - 1);
    const std::string suffix = extension.empty() ? std::string() : "." + extension;
    return base + suffix == carrier ? base + "_1" + suffix : base + suffix;
}

}  // namespace tarnwerk
