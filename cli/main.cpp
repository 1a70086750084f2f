// tarnwerk-cli: the hide, extract, export and size commands of the desktop program, over the
// same workflows, for scripts and terminals.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/Commands.h"
#include "app/Desktop.h"
#include "app/Messages.h"
#include "app/Session.h"
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
constexpr int kTerminatedText = 427;
constexpr int kPassphraseFileUnreadableText = 475;
constexpr int kPassphraseFileTooLongText = 476;
constexpr int kPassphraseFileKindText = 477;
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

int BitPerByteIndex(int bits) { return bits == 1 ? 0 : bits == 4 ? 2 : 1; }

// Settings from the file, then the flags on top; nothing is written back.
Session BuildSession(const CliOptions& options) {
    const std::string appDir = ExecutableDir();
    const std::string iniPath = options.settingsFile.empty() ? DefaultIniPath(appDir) : options.settingsFile;
    const StartupSettings startup = LoadSettings(iniPath, kNoScreenLimit, kNoScreenLimit);
    Session session;
    session.iniPath = startup.iniPath;
    session.appPath = appDir + "/";
    session.settings = startup.settings;
    session.languageBase = options.languageBase.value_or(startup.languageBase);
    session.carrierFilter = startup.carrierFilter;
    SettingsRecord& s = session.settings;
    if (options.bits) s.BitPerByte = static_cast<uint8_t>(BitPerByteIndex(*options.bits));
    if (options.compress) s.Compression = *options.compress ? 1 : 0;
    if (options.cipher) {
        s.Encryption = *options.cipher < 0 ? 0 : 1;
        if (*options.cipher >= 0) s.Algorithmus = static_cast<uint8_t>(*options.cipher);
    }
    s.ShowEndMessage = 1;  // the success text goes to stdout; --quiet drops it there
    s.ResetOnEnd = 0;
    // The window's keep-the-original asks in a dialog; here --output names the new file.
    s.KeepOriginal = 0;
    session.hideOutput = options.output;
    session.bitsPerByte = BitsPerByteFromIndex(s.BitPerByte);
    return session;
}

// Why a passphrase file was refused, in the user's language.
std::string PassphraseFileRefusal(const Session& session, const Error& error) {
    if (error.number == EFBIG) return session.Text(kPassphraseFileTooLongText);
    if (error.code == ErrorCode::NotRegularFile) return session.Text(kPassphraseFileKindText);
    return session.Text(kPassphraseFileUnreadableText) + "\n(" + DescribeError(session, error) + ")";
}

int Run(const CliOptions& options) {
    Session session = BuildSession(options);
    InstallInterruptHandlers(session.Text(kTerminatedText));
    TerminalUiOptions uiOptions;
    uiOptions.quiet = options.quiet;
    uiOptions.force = options.force;
    uiOptions.languageBase = session.languageBase;
    if (!options.passphraseFile.empty()) {
        Result<std::string> passphrase = ReadPassphraseFile(options.passphraseFile);
        if (!passphrase) {
            std::cerr << PassphraseFileRefusal(session, passphrase.error()) << "\n";
            return kExitFailure;
        }
        uiOptions.passphrase = std::move(*passphrase);
    }
    TerminalUi ui(uiOptions);
    XdgDesktop desktop;
    Commands commands(session, ui, desktop);

    bool ok = false;
    const auto& files = options.operands;
    switch (options.command) {
        case Subcommand::Info:
            return RunInfo(commands, session, files[0], options.json) ? kExitSuccess : kExitFailure;
        case Subcommand::Hide:
            ok = commands.LoadCarrier(files[0]) && (commands.SetDataFile(files[1]), commands.Hide());
            break;
        case Subcommand::Extract:
            ok = commands.LoadCarrier(files[0]) && (commands.SetDataFile(files[1]), commands.Extract());
            break;
        case Subcommand::Export:
            ok = commands.LoadCarrier(files[0]) && (commands.SetDataFile(files[1]), commands.Export());
            break;
        case Subcommand::Size:
            commands.SetDataFile(files[0]);
            if (options.json) ui.SetQuiet(true);
            ok = commands.CalculateSize();
            if (ok && options.json) PrintSizeJson(session);
            break;
        case Subcommand::None:
            return kExitUsage;
    }
    if (ui.passphraseUnavailable()) {
        std::cerr << "tarnwerk-cli: a passphrase is needed: give --passphrase-file or run on a terminal\n";
        return kExitUsage;
    }
    return ok ? kExitSuccess : kExitFailure;
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
