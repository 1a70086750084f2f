// tarnwerk-cli: the hide, extract, export and size commands of the desktop program, over the
// same use cases, for scripts and terminals.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/CarrierLoader.h"
#include "app/Messages.h"
#include "app/UseCases.h"
#include "base/Helpers.h"
#include "cli/CliOptions.h"
#include "cli/InfoCommand.h"
#include "cli/Interrupts.h"
#include "cli/TerminalUi.h"
#include "config/Settings.h"
#include "config/Strings.h"

namespace {

using namespace tarnwerk;
using namespace tarnwerk::cli;

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// The position clamp of the settings needs a screen; a terminal has none, so any stored
// position is accepted.
constexpr int32_t kNoScreenLimit = INT32_MAX / 2;

std::string ExecutableDir() {
    std::vector<char> buffer(PATH_MAX + 1, 0);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), PATH_MAX);
    if (n <= 0) return ".";
    std::string path(buffer.data(), static_cast<size_t>(n));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// What the command line works with: the settings file's values with the flags on top;
// nothing is written back.
struct CliSettings {
    std::string iniPath;
    int languageBase = 0;
    PayloadOptions options;
    HidingMethod method = HidingMethod::Classic;
};

CliSettings BuildSettings(const CliOptions& flags) {
    const std::string iniPath = flags.settingsFile.empty() ? DefaultIniPath(ExecutableDir()) : flags.settingsFile;
    const StartupSettings startup = LoadSettings(iniPath, kNoScreenLimit, kNoScreenLimit);
    CliSettings settings;
    settings.iniPath = startup.iniPath;
    settings.languageBase = flags.languageBase.value_or(startup.languageBase);
    PayloadOptions& options = settings.options;
    options.compress = flags.compress.value_or(startup.settings.Compression);
    options.encrypt = startup.settings.Encryption;
    options.cipher = startup.settings.Algorithmus;
    if (flags.cipher) {
        options.encrypt = *flags.cipher >= 0;
        if (*flags.cipher >= 0) options.cipher = static_cast<CipherIndex>(*flags.cipher);
    }
    options.bitsPerByte = flags.bits.value_or(startup.settings.bitsPerByte);
    settings.method = flags.method.value_or(startup.settings.Method);
    return settings;
}

// Why a passphrase file was refused, in the user's language.
std::string PassphraseFileRefusal(int base, const Error& error) {
    if (error.number == EFBIG) return Text(base, TextId::PassphraseFileTooLongText);
    if (error.code == ErrorCode::NotRegularFile) return Text(base, TextId::PassphraseFileKindText);
    return Text(base, TextId::PassphraseFileUnreadableText) + "\n(" + DescribeError(base, error) + ")";
}

// The notices, then the end message of a command that succeeded.
int Report(TerminalUi& ui, int base, const Outcome& outcome) {
    for (const Notice& notice : outcome.notices) ui.Show(RenderNotice(base, notice));
    if (outcome.ok() && outcome.success) ui.Show(RenderNotice(base, *outcome.success));
    return outcome.ok() ? kExitSuccess : kExitFailure;
}

// The carrier as the command line names it; its refusal goes to stderr.
std::optional<CarrierAnalysis> LoadCarrier(TerminalUi& ui, int base, const std::string& path) {
    CarrierAnalysis analysis = AnalyseCarrier(path);
    if (analysis.accepted()) return analysis;
    ui.Show(CarrierRefusal(base, analysis));
    return std::nullopt;
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

int RunCommand(const CliOptions& flags, const CliSettings& settings, TerminalUi& ui) {
    const int base = settings.languageBase;
    const auto& files = flags.operands;
    if (flags.command == Subcommand::Size) {
        if (IsBlank(files[0])) return kExitFailure;
        const SizeOutcome sized = NeededSize(SizeRequest{files[0], settings.options}, ui);
        if (!flags.json || !sized.ok()) return Report(ui, base, sized);
        PrintSizeJson(sized);
        return kExitSuccess;
    }
    const std::optional<CarrierAnalysis> analysis = LoadCarrier(ui, base, files[0]);
    if (!analysis) return kExitFailure;
    if (flags.command == Subcommand::Info) {
        PrintInfo(*analysis, base, settings.options, flags.json);
        return kExitSuccess;
    }
    const CarrierFacts& carrier = analysis->facts;
    if (IsBlank(files[1])) return kExitFailure;
    if (flags.command == Subcommand::Hide) {
        // --output keeps the carrier; the window's KeepOriginal setting is not read here.
        std::optional<std::string> output;
        if (!flags.output.empty()) output = flags.output;
        const HideRequest request{carrier,          files[1],        TrimBlanks(GetExtension(files[1])),
                                  settings.options, settings.method, output};
        return Report(ui, base, Hide(request, ui, ui));
    }
    // Extraction follows --method only: the settings' method is what a hide writes.
    const ExtractMethod method = !flags.method                           ? ExtractMethod::Probe
                                 : flags.method == HidingMethod::Stealth ? ExtractMethod::Stealth
                                                                         : ExtractMethod::Classic;
    const ExtractRequest request{carrier, settings.options.bitsPerByte, files[1], method};
    return Report(ui, base, flags.command == Subcommand::Export ? Export(request, ui, ui) : Extract(request, ui, ui));
}

int Run(const CliOptions& flags) {
    const CliSettings settings = BuildSettings(flags);
    const int base = settings.languageBase;
    InstallInterruptHandlers(Text(base, TextId::TerminatedText));
    TerminalUiOptions uiOptions;
    uiOptions.quiet = flags.quiet;
    uiOptions.force = flags.force;
    uiOptions.stealthOnly = flags.method == HidingMethod::Stealth;
    uiOptions.languageBase = base;
    if (!flags.passphraseFile.empty()) {
        Result<std::string> passphrase = ReadPassphraseFile(flags.passphraseFile);
        if (!passphrase) {
            std::cerr << PassphraseFileRefusal(base, passphrase.error()) << "\n";
            return kExitFailure;
        }
        uiOptions.passphrase = std::move(*passphrase);
    }
    TerminalUi ui(uiOptions);
    const int status = RunCommand(flags, settings, ui);
    if (ui.passphraseUnavailable()) {
        std::cerr << "tarnwerk-cli: a passphrase is needed: give --passphrase-file or run on a terminal\n";
        return kExitUsage;
    }
    return status;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParseResult parsed = ParseArguments(args);
    if (!parsed.error.empty()) {
        std::cerr << "tarnwerk-cli: " << parsed.error << "\n\n" << UsageText();
        return kExitUsage;
    }
    if (parsed.options.help) {
        std::cout << UsageText();
        return kExitSuccess;
    }
    if (!parsed.options.list.empty()) {
        for (const auto& name : ListNames(parsed.options.list, parsed.options.command)) std::cout << name << "\n";
        return kExitSuccess;
    }
    if (parsed.options.version) {
        std::cout << "tarnwerk-cli " << TARNWERK_VERSION << "\n";
        return kExitSuccess;
    }
    return Run(parsed.options);
}
