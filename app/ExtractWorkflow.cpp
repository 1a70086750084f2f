// Extract: the engine writes the payload as stored; then the passphrase is checked and the
// data decrypted and decompressed, each step moved onto the output name only when it worked.
#include <unistd.h>

#include <memory>
#include <optional>

#include "app/CommandFrame.h"
#include "app/Commands.h"
#include "app/DataFileInfo.h"
#include "app/Messages.h"
#include "app/PassphraseEntry.h"
#include "app/Session.h"
#include "app/WorkflowSteps.h"
#include "app/Workflows.h"
#include "compression/clsZlib.h"
#include "config/Codepage.h"
#include "core/ExtractPayload.h"
#include "crypto/Cipher.h"
#include "crypto/clsXChaCha20.h"

namespace tarnwerk {
namespace {

constexpr int kExtractingStatus = 313;
constexpr int kOutputDialogTitle = 511;
constexpr int kExtractErrorText = 431;
constexpr int kExtractedText = 430;
constexpr int kWrongPassphraseText = 426;
constexpr int kTerminatedText = 427;
constexpr int kWrongPassphraseTitle = 428;
constexpr int kRetryText = 429;
constexpr int kDecompressionFailedText = 461;
constexpr int kDecryptionFailedText = 462;
constexpr int kOutputKeepsDataText = 463;
constexpr int kMaxPassphraseTries = 3;

enum class Attempt { Decrypted, WrongPassphrase, Failed };

// One passphrase tried on the output file; the decrypted data lands in a scratch file.
Attempt TryPassphrase(const PayloadHeader& header, const PassphraseSecrets& secrets, const std::string& output,
                      ScratchFile& decrypted, Error& failure) {
    Status status;
    if (header.cipher == static_cast<uint8_t>(CipherIndex::XChaCha20)) {
        // No digest to compare: the tag tells a wrong passphrase.
        clsXChaCha20 cipher;
        if (Status salted = cipher.SetSalt(header.checkValue); !salted) {
            failure = salted.error();
            return Attempt::Failed;
        }
        cipher.SetAssociatedData(
            BuildPayloadHeader(header.compressed(), true, header.cipher, header.checkValue, header.extension));
        cipher.SetKey(secrets.bytes);
        status = cipher.DecryptFile(output, decrypted.path(), true, {});
        if (!status && status.error().code == ErrorCode::WrongKey) return Attempt::WrongPassphrase;
    } else {
        if (secrets.digest != header.checkValue) return Attempt::WrongPassphrase;
        std::unique_ptr<Cipher> cipher = CreateCipher(header.cipher);
        status = cipher->DecryptFile(output, decrypted.path(), true, secrets.key);
    }
    if (!status) {
        failure = status.error();
        return Attempt::Failed;
    }
    return Attempt::Decrypted;
}

void ShowKeptDataFailure(const Session& session, UserInterface& ui, int textId, const Error* error) {
    Message message = MakeProductMessage(session, {textId, kOutputKeepsDataText}, MessageIcon::Critical);
    if (error) AppendCause(message, *error);
    ui.ShowMessage(message);
}

bool MoveScratchOnto(const Session& session, UserInterface& ui, ScratchFile& scratch, const std::string& output) {
    if (Status moved = scratch.MoveOnto(output); !moved) {
        ui.ShowMessage(CommandFailureMessage(session, kExtractErrorText, DescribeError(moved.error())));
        return false;
    }
    return true;
}

// Up to three passphrases; the third wrong one removes the output, as nothing can be done
// with it. Cancel keeps the encrypted bytes.
bool Decrypt(const Session& session, UserInterface& ui, const PayloadHeader& header, const std::string& output) {
    for (int tries = 1;; ++tries) {
        PassphraseSecrets secrets;
        if (!AcceptPassphrase(session, ui, ui.AskPassphrase(), secrets)) return false;
        Result<ScratchFile> decrypted = ScratchFile::Create(output, ".tmp");
        if (!decrypted) {
            ui.ShowMessage(CommandFailureMessage(session, kExtractErrorText, DescribeError(decrypted.error())));
            return false;
        }
        Error failure;
        switch (TryPassphrase(header, secrets, output, *decrypted, failure)) {
            case Attempt::Decrypted:
                return MoveScratchOnto(session, ui, *decrypted, output);
            case Attempt::Failed:
                ShowKeptDataFailure(session, ui, kDecryptionFailedText, &failure);
                return false;
            case Attempt::WrongPassphrase:
                break;
        }
        if (tries >= kMaxPassphraseTries) {
            ui.ShowMessage(MakeMessage(session, {kWrongPassphraseText, kTerminatedText}, MessageIcon::Exclamation,
                                       kWrongPassphraseTitle));
            unlink(output.c_str());
            return false;
        }
        const MessageAnswer answer =
            ui.ShowMessage(MakeMessage(session, {kWrongPassphraseText, kRetryText}, MessageIcon::Exclamation,
                                       kWrongPassphraseTitle, MessageButtons::RetryCancel));
        if (answer != MessageAnswer::Retry) return false;
    }
}

bool Decompress(const Session& session, UserInterface& ui, const std::string& output) {
    Result<ScratchFile> plain = ScratchFile::Create(output, ".tmp");
    if (!plain) {
        ui.ShowMessage(CommandFailureMessage(session, kExtractErrorText, DescribeError(plain.error())));
        return false;
    }
    ui.SetProgress(0);  // let the window repaint before the long step
    clsZlib zlib;
    if (zlib.DecompressFile(output, plain->path()) != 0) {
        const Error cause = MakeError(ErrorCode::Io, {}, {}, zlib.LastSystemError());
        ShowKeptDataFailure(session, ui, kDecompressionFailedText, &cause);
        return false;
    }
    return MoveScratchOnto(session, ui, *plain, output);
}

bool ExtractSteps(Commands& commands, Session& session, UserInterface& ui) {
    if (!EnsureCarrier(commands, session) || !EnsureOutputFile(commands, session, ui, kOutputDialogTitle)) return false;
    const std::string output = DataPath(session);
    if (!MayReplaceOutput(session, ui, output)) return false;

    Result<ExtractedPayload> extracted =
        ExtractPayload(session.carrier, session.bitsPerByte, output, [&ui](int percent) { ui.SetProgress(percent); });
    if (!extracted) {
        ui.ShowMessage(EngineErrorMessage(session, extracted.error()));
        return false;
    }
    ShowDataFileInfoSize(session, output);
    ui.FieldsChanged();

    const PayloadHeader& header = extracted->header;
    if (header.encrypted() && !Decrypt(session, ui, header, output)) return false;
    if (header.compressed() && !Decompress(session, ui, output)) return false;

    ShowDataFileInfoOrigSize(session, output);
    ui.FieldsChanged();
    EndWithSuccess(commands, session, ui, kExtractedText);
    return true;
}

}  // namespace

bool RunExtract(Commands& commands, Session& session, UserInterface& ui) {
    CommandFrame frame(session, ui, kExtractingStatus);
    if (!frame.started()) return false;
    frame.OnClose([&session] { session.headerExtension.clear(); });
    return ExtractSteps(commands, session, ui);
}

}  // namespace tarnwerk
