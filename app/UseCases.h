// The program's use cases: each takes a request holding every input, talks to the user only
// through a Prompter and a ProgressSink, and returns what happened. The front-ends pick the
// carrier and files before they build a request and render the outcome afterwards; no use
// case touches the window's state or the settings file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Messages.h"
#include "app/Prompter.h"
#include "config/Settings.h"
#include "core/CarrierFacts.h"
#include "crypto/CipherTable.h"

namespace tarnwerk {

class Desktop;

// The settings a payload is made with, typed.
struct PayloadOptions {
    bool compress = true;
    bool encrypt = true;
    CipherIndex cipher = CipherIndex::RC4;
    int bitsPerByte = 2;
};

enum class Ending {
    Done,       // the command did what it was asked
    Refused,    // nothing was done: the input or the user's answer did not allow it
    Cancelled,  // the user stopped it; no file of the user's changed
    Failed,     // a step failed; the notices say which
};

struct Outcome {
    Ending ending = Ending::Refused;
    std::vector<Notice> notices;       // to show in this order
    std::optional<Notice> success;     // the end message of a command that succeeded
    std::vector<std::string> written;  // files created or changed

    bool ok() const { return ending == Ending::Done; }
};

struct HideRequest {
    CarrierFacts carrier;   // loaded by the front-end
    std::string dataPath;   // exactly as given: blanks at either end belong to it
    std::string extension;  // the data file's extension, stored in the header (UTF-8)
    PayloadOptions options;
    HidingMethod method = HidingMethod::Classic;  // stealth: PayloadOptions' cipher and bits do not apply
    // Keep the carrier as it is and write the result to this new file (HidePayload's
    // outputPath): refused when it is the carrier under any name, or a name another reader
    // takes; an existing file is replaced only after Question::ReplaceOutput.
    std::optional<std::string> outputPath;
};

struct HideOutcome : Outcome {
    int64_t payloadSize = -1;  // the prepared payload, once known
};

HideOutcome Hide(const HideRequest& request, Prompter& prompter, ProgressSink& progress);

// How extraction finds the payload: the classic markers at 1, 2 and 4 bits and, when there are
// none, the stealth method's passphrase; or only one of the two.
enum class ExtractMethod { Probe, Classic, Stealth };

struct ExtractRequest {
    CarrierFacts carrier;
    int bitsPerByte = 2;
    // The file to write; nullopt: the prompter chooses it (a save dialog proposing the stored
    // extension beside the carrier). A chosen name gets the stored extension appended.
    std::optional<std::string> outputPath;
    ExtractMethod method = ExtractMethod::Probe;
};

struct ExtractOutcome : Outcome {
    std::string outputPath;       // the output as finally named ("" when none was chosen)
    std::string storedExtension;  // found in the header ("" when none or unusable)
    int64_t storedSize = -1;      // of the payload as stored, once extracted
};

ExtractOutcome Extract(const ExtractRequest& request, Prompter& prompter, ProgressSink& progress);

// The raw low-bit stream of the carrier area, same request as an extraction.
ExtractOutcome Export(const ExtractRequest& request, Prompter& prompter, ProgressSink& progress);

struct SizeRequest {
    std::string dataPath;
    PayloadOptions options;
};

struct SizeOutcome : Outcome {
    int64_t payloadSize = -1;  // after compression and encryption
    int64_t needed = -1;       // the smallest carrier area the hide accepts
};

SizeOutcome NeededSize(const SizeRequest& request, ProgressSink& progress);

struct MailRequest {
    std::string carrierPath;
    bool pack = true;                // send it zipped
    bool deleteArchive = true;       // the archive goes once the mail program is done with it
    std::string mailedArchivesList;  // where archives to delete later are listed
    // Told later, when the mail program reports that it failed after the hand-off started.
    std::function<void(const Notice&)> lateNotice;
};

Outcome SendCarrier(const MailRequest& request, Prompter& prompter, ProgressSink& progress, Desktop& desktop);

// A question as a message box, in the language: the front-ends that show it.
Message QuestionMessage(int languageBase, Question question);

}  // namespace tarnwerk
