#include "app/WorkflowSteps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "app/Cancellation.h"
#include "app/Commands.h"
#include "app/DataFileSelection.h"
#include "app/Messages.h"
#include "app/PassphraseEntry.h"
#include "app/Session.h"
#include "app/UserInterface.h"
#include "compression/clsZlib.h"
#include "config/AtomicOutput.h"
#include "config/Codepage.h"
#include "config/FileIo.h"
#include "config/Helpers.h"
#include "core/EndMarkerScan.h"
#include "core/ExtractPayload.h"
#include "core/HidePayload.h"
#include "core/PayloadFormat.h"
#include "crypto/PayloadSeal.h"

namespace tarnwerk {
namespace {

constexpr int kCompressionFailedText = 415;
constexpr int kEncryptionFailedText = 416;
constexpr int kOverwriteText = 441;
constexpr int kPassphraseCharsText = 466;
constexpr int kPassphraseCharsHint = 467;
constexpr int kOverwriteQuestionText = 442;
constexpr int kOverwriteTitle = 443;
constexpr int kOutputIsCarrierText = 470;
constexpr int kOtherOutputNameText = 471;
constexpr int16_t kCompressionLevel = 9;
constexpr int kEncryptionAttempts = 8;
constexpr int kHidingStatus = 311;  // only a hide encrypts

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

// Beside the carrier, named like it, with the stored extension; never the carrier itself.
std::string ProposedOutputPath(const std::string& carrier, const std::string& extension) {
    const std::string carrierExtension = GetExtension(carrier);
    const std::string base =
        carrierExtension.empty() ? carrier : carrier.substr(0, carrier.size() - carrierExtension.size() - 1);
    const std::string suffix = extension.empty() ? std::string() : "." + extension;
    return base + suffix == carrier ? base + "_1" + suffix : base + suffix;
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
        if (Status sealed = seal.Seal(scratch.path(), output.path(), key, callbacks); !sealed) return sealed;
        if (!seal.Randomised() || attempt == kEncryptionAttempts) return {};
        Result<bool> cut = FileCutsAtEndMarker(std::string(key.header), output.path());
        if (!cut) return cut.error();
        if (!*cut) return {};
    }
}

// The header of the sealed payload: it carries the seal's check value and is bound to the data.
// The seal reports its progress and key derivation like every other stage the user may stop.
Status SealPayload(const Session& session, UserInterface& ui, const ScratchFile& scratch, const ScratchFile& output,
                   const std::string& passphrase, PayloadSource& source) {
    std::unique_ptr<PayloadSeal> seal = SealFor(source.cipher);
    Result<std::string> checkValue = seal->NewCheckValue(passphrase);
    if (!checkValue) return checkValue.error();
    source.checkValue = std::move(*checkValue);
    const std::string header =
        BuildPayloadHeader(source.compressed, true, source.cipher, source.checkValue, source.extension);
    return SealAvoidingEndMarker(*seal, scratch, output, {passphrase, source.checkValue, header},
                                 CancellableSealCallbacks(session, ui, kHidingStatus));
}

// Compression reports its progress and stops between two chunks when the user cancels.
clsZlib PayloadCompressor(UserInterface& ui) {
    ui.SetProgress(0);
    clsZlib zlib;
    zlib.Progress = CancellableProgress(ui);
    return zlib;
}

void ShowCompressionFailure(const Session& session, UserInterface& ui, const Error& error) {
    Message message = MakeProductMessage(session, {kCompressionFailedText}, MessageIcon::Critical);
    AppendCause(session, message, error);
    ui.ShowMessage(message);
}

void ShowEncryptionFailure(const Session& session, UserInterface& ui, const Error& error) {
    Message message = MakeProductMessage(session, {kEncryptionFailedText}, MessageIcon::Critical);
    if (SaysAnything(error)) message.text += "\r\n" + DescribeError(session, error);
    ui.ShowMessage(message);
}

}  // namespace

bool AcceptPassphrase(const Session& session, UserInterface& ui, std::optional<std::string> typed,
                      PassphraseSecrets& secrets) {
    if (!typed) return false;
    if (DerivePassphrase(*typed, secrets)) return true;
    ui.ShowMessage(MakeProductMessage(session, {kPassphraseCharsText, kPassphraseCharsHint}, MessageIcon::Exclamation));
    return false;
}

bool EnsureCarrier(Commands& commands, Session& session) {
    if (!session.carrier.IsLoaded()) commands.SelectCarrier();
    return session.carrier.IsLoaded();
}

bool EnsureDataFile(Commands& commands, Session& session) {
    if (session.fields.dataFile.empty()) commands.SelectDataFile();
    return !DataPath(session).empty();
}

bool EnsureOutputFile(Commands& commands, Session& session, UserInterface& ui, int titleId) {
    Result<FoundPayload> found = ReadPayloadHeader(session.carrier);
    const std::string stored = found ? UsableExtension(Cp1252ToUtf8(found->header.extension)) : std::string();
    const std::string proposed = ProposedOutputPath(session.carrier.path, stored);
    const std::string previous = session.headerExtension;
    session.headerExtension = stored;
    const std::optional<std::string> chosen =
        ui.ChooseOutputFile(DataFileFilter(session), session.Text(titleId), proposed);
    if (!chosen) {
        // The data field names the output; the stored extension counts only for the dialog.
        if (!session.fields.dataFile.empty()) session.headerExtension = previous;
        return EnsureDataFile(commands, session);
    }
    const std::string path = StripNul(*chosen);
    if (path.empty()) return false;
    ApplyChosenDataFile(session, path);
    ui.FieldsChanged();
    return true;
}

std::string DataPath(const Session& session) { return session.fields.dataFile; }

bool AcceptOutputName(const Session& session, UserInterface& ui, const std::string& outputPath) {
    if (IsSameFile(outputPath, session.carrier.path)) {
        ui.ShowMessage(
            MakeProductMessage(session, {kOutputIsCarrierText, kOtherOutputNameText}, MessageIcon::Exclamation));
        return false;
    }
    if (Status replaceable = CheckReplaceable(outputPath); !replaceable) {
        ui.ShowMessage(EngineErrorMessage(session, replaceable.error()));
        return false;
    }
    return true;
}

bool MayReplaceOutput(const Session& session, UserInterface& ui, const std::string& outputPath) {
    struct stat info {};
    if (lstat(outputPath.c_str(), &info) != 0) return true;
    const MessageAnswer answer =
        ui.ShowMessage(MakeMessage(session, {kOverwriteText, kOverwriteQuestionText}, MessageIcon::Question,
                                   kOverwriteTitle, MessageButtons::YesNo));
    return answer == MessageAnswer::Yes;
}

std::optional<ScratchFile> PreparePlainPayload(Session& session, UserInterface& ui, const std::string& dataPath,
                                               int failureTextId) {
    // A data file that went away since it was chosen is named as such, not as a failed step.
    if (access(dataPath.c_str(), R_OK) != 0) {
        ui.ShowMessage(CommandFailureMessage(session, failureTextId,
                                             DescribeError(session, MakeError(ErrorCode::Io, dataPath, errno))));
        return std::nullopt;
    }
    // A device such as /dev/zero never ends: copying it would fill the disk.
    if (!IsFileOrPipe(dataPath)) {
        ui.ShowMessage(CommandFailureMessage(session, failureTextId,
                                             DescribeError(session, MakeError(ErrorCode::NotRegularFile, dataPath))));
        return std::nullopt;
    }
    Result<ScratchFile> scratch = ScratchFile::CreateBesideOrInTemp(dataPath);
    if (!scratch) {
        ui.ShowMessage(CommandFailureMessage(session, failureTextId, DescribeError(session, scratch.error())));
        return std::nullopt;
    }
    if (session.settings.Compression == 1) {
        clsZlib zlib = PayloadCompressor(ui);
        if (Status compressed = zlib.CompressFile(dataPath, scratch->path(), kCompressionLevel); !compressed) {
            ShowCompressionFailure(session, ui, compressed.error());
            return std::nullopt;
        }
    } else if (Status copied = CopyWholeFile(dataPath, scratch->path()); !copied) {
        ui.ShowMessage(CommandFailureMessage(session, failureTextId, DescribeError(session, copied.error())));
        return std::nullopt;
    }
    return std::move(*scratch);
}

std::optional<int64_t> MeasurePlainPayload(Session& session, UserInterface& ui, const std::string& dataPath,
                                           int failureTextId) {
    if (!CanReadDataInPlace(dataPath)) {  // a pipe's length is known only once it is read
        std::optional<ScratchFile> scratch = PreparePlainPayload(session, ui, dataPath, failureTextId);
        if (!scratch) return std::nullopt;
        return FileSize(scratch->path());
    }
    if (session.settings.Compression != 1) return FileSize(dataPath);
    clsZlib zlib = PayloadCompressor(ui);
    Result<int64_t> length = zlib.CompressedFileLength(dataPath, kCompressionLevel);
    if (!length) {
        ShowCompressionFailure(session, ui, length.error());
        return std::nullopt;
    }
    return *length;
}

std::optional<int64_t> MeasureEncryptedPayload(const Session& session, UserInterface& ui, int64_t plainSize) {
    Result<int64_t> length = SealFor(session.settings.Algorithmus)->SealedLength(plainSize);
    if (!length) {
        ShowEncryptionFailure(session, ui, length.error());
        return std::nullopt;
    }
    return *length;
}

bool CanReadDataInPlace(const std::string& dataPath) {
    struct stat info {};
    return stat(dataPath.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(dataPath.c_str(), R_OK) == 0;
}

bool EncryptPayload(Session& session, UserInterface& ui, ScratchFile& scratch, const std::string& passphrase,
                    PayloadSource& source, int failureTextId) {
    Result<ScratchFile> output = ScratchFile::CreateBesideOrInTemp(scratch.beside());
    if (!output) {
        ui.ShowMessage(CommandFailureMessage(session, failureTextId, DescribeError(session, output.error())));
        return false;
    }
    if (Status sealed = SealPayload(session, ui, scratch, *output, passphrase, source); !sealed) {
        ShowEncryptionFailure(session, ui, sealed.error());
        return false;
    }
    scratch = std::move(*output);
    return true;
}

int64_t FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
}

void EndWithSuccess(Commands& commands, Session& session, UserInterface& ui, int successTextId, bool mayReset,
                    const std::string& moreLines) {
    if (session.settings.ShowEndMessage == 1) {
        Message message = MakeProductMessage(session, {successTextId}, MessageIcon::Information);
        if (!moreLines.empty()) message.text += "\r\n" + moreLines;
        ui.ShowMessage(message);
    }
    if (session.settings.ResetOnEnd == 1 && mayReset) commands.Reset();
}

}  // namespace tarnwerk
