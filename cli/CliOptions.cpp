#include "cli/CliOptions.h"

#include <algorithm>
#include <array>
#include <utility>

#include "crypto/CipherTable.h"

namespace tarnwerk::cli {

namespace {

struct NamedValue {
    const char* name;
    int value;
};

constexpr const char* kNoCipher = "none";

constexpr std::array kLanguages{NamedValue{"de", 0}, NamedValue{"en", 2000}, NamedValue{"nl", 3000},
                                NamedValue{"fr", 4000}};

constexpr std::array kMethods{NamedValue{"classic", static_cast<int>(HidingMethod::Classic)},
                              NamedValue{"stealth", static_cast<int>(HidingMethod::Stealth)}};

// clang-format off
constexpr std::array kSubcommands{NamedValue{"info", static_cast<int>(Subcommand::Info)},
                                  NamedValue{"hide", static_cast<int>(Subcommand::Hide)},
                                  NamedValue{"extract", static_cast<int>(Subcommand::Extract)},
                                  NamedValue{"export", static_cast<int>(Subcommand::Export)},
                                  NamedValue{"size", static_cast<int>(Subcommand::Size)}};
// clang-format on

// Every option a user may give, for --list options; the parser below is the other half.
constexpr std::array kOptionNames{"--method",          "--bits",   "--compress", "--no-compress", "--cipher",
                                  "--passphrase-file", "--output", "--force",    "--json",        "--settings",
                                  "--language",        "--quiet",  "--help",     "--version"};

constexpr std::array kListKinds{"commands", "ciphers", "methods", "languages", "options"};

// The stealth method seals with XChaCha20-Poly1305 and writes one bit per sample wherever the
// key says: a cipher or bit depth of the classic method given with it is a mistake to report.
constexpr const char* kStealthCipher = "xchacha20";

template <size_t N>
std::vector<std::string> Names(const std::array<NamedValue, N>& table) {
    std::vector<std::string> names;
    for (const auto& entry : table) names.emplace_back(entry.name);
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}

std::string JoinedBy(const std::vector<std::string>& names, const std::string& separator) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : separator) + names[i];
    return text;
}

template <size_t N>
std::optional<int> Lookup(const std::array<NamedValue, N>& table, const std::string& name) {
    for (const auto& entry : table)
        if (name == entry.name) return entry.value;
    return std::nullopt;
}

size_t ExpectedOperands(Subcommand command) {
    switch (command) {
        case Subcommand::Info:
        case Subcommand::Size:
            return 1;
        case Subcommand::Hide:
        case Subcommand::Extract:
        case Subcommand::Export:
            return 2;
        case Subcommand::None:
            break;
    }
    return 0;
}

// Which options each subcommand takes, so a misplaced one is a usage error, not ignored.
bool Allowed(Subcommand command, const std::string& option) {
    const bool hiding = command == Subcommand::Hide || command == Subcommand::Size;
    if (option == "--bits") return hiding || command == Subcommand::Export;
    if (option == "--compress" || option == "--no-compress" || option == "--cipher") return hiding;
    if (option == "--passphrase-file") return command == Subcommand::Hide || command == Subcommand::Extract;
    const bool moving = command == Subcommand::Hide || command == Subcommand::Extract;
    if (option == "--output") return command == Subcommand::Hide;
    if (option == "--force") return moving || command == Subcommand::Export;
    if (option == "--method") return moving;
    if (option == "--json") return command == Subcommand::Info || command == Subcommand::Size;
    return true;
}

// "none", then every cipher's word from the one cipher table.
std::vector<std::string> CipherWords() {
    std::vector<std::string> words{kNoCipher};
    for (const CipherDescriptor& cipher : CipherTable()) words.emplace_back(cipher.cliName);
    return words;
}

}  // namespace

std::optional<int> CipherFromName(const std::string& name) {
    if (name == kNoCipher) return -1;
    for (const CipherDescriptor& cipher : CipherTable())
        if (name == cipher.cliName) return static_cast<int>(cipher.index);
    return std::nullopt;
}

std::vector<std::string> ListNames(const std::string& kind, Subcommand command) {
    if (kind == "commands") return Names(kSubcommands);
    if (kind == "ciphers") return CipherWords();
    if (kind == "methods") return Names(kMethods);
    if (kind == "languages") return Names(kLanguages);
    std::vector<std::string> names;
    if (kind != "options") return names;
    for (const char* option : kOptionNames)
        if (command == Subcommand::None || Allowed(command, option)) names.emplace_back(option);
    return names;
}

namespace {

// One option at args[i] (its value, when it takes one, is consumed too); the usage error, or
// "" when it was understood.
std::string ParseOption(const std::vector<std::string>& args, size_t& i, CliOptions& o) {
    const std::string& arg = args[i];
    std::string v;
    auto value = [&](std::string& out) {
        if (i + 1 >= args.size()) return false;
        out = args[++i];
        return true;
    };
    if (arg == "--help" || arg == "-h") {
        o.help = true;
    } else if (arg == "--version") {
        o.version = true;
    } else if (arg == "--quiet" || arg == "-q") {
        o.quiet = true;
    } else if (arg == "--json") {
        o.json = true;
    } else if (arg == "--force") {
        o.force = true;
    } else if (arg == "--compress" || arg == "--no-compress") {
        o.compress = arg == "--compress";
    } else if (arg == "--settings") {
        if (!value(o.settingsFile)) return "--settings needs a file";
    } else if (arg == "--output") {
        if (!value(o.output) || o.output.empty()) return "--output needs a file";
    } else if (arg == "--passphrase-file") {
        if (!value(o.passphraseFile)) return "--passphrase-file needs a file";
    } else if (arg == "--language") {
        if (!value(v) || !Lookup(kLanguages, v)) return "--language takes de, en, nl or fr";
        o.languageBase = Lookup(kLanguages, v);
    } else if (arg == "--bits") {
        if (!value(v) || (v != "1" && v != "2" && v != "4")) return "--bits takes 1, 2 or 4";
        o.bits = v[0] - '0';
    } else if (arg == "--list") {
        const auto known = [&] { return std::find(kListKinds.begin(), kListKinds.end(), v) != kListKinds.end(); };
        if (!value(v) || !known()) return "--list takes " + Joined({kListKinds.begin(), kListKinds.end()});
        o.list = v;
    } else if (arg == "--method") {
        if (!value(v) || !Lookup(kMethods, v)) return "--method takes classic or stealth";
        o.method = static_cast<HidingMethod>(*Lookup(kMethods, v));
    } else if (arg == "--cipher") {
        if (!value(v) || !CipherFromName(v)) return "--cipher takes " + Joined(CipherWords());
        o.cipher = CipherFromName(v);
    } else {
        return "unknown option " + arg;
    }
    return {};
}

// What the command and its files allow, once every word is read; "" when the call is sound.
std::string CheckCall(const CliOptions& o, const std::vector<std::string>& seenOptions) {
    if (o.help || o.version || !o.list.empty()) return {};
    if (o.command == Subcommand::None) return "no command given";
    if (o.operands.size() != ExpectedOperands(o.command)) return "wrong number of files for this command";
    for (const auto& option : seenOptions)
        if (!Allowed(o.command, option)) return option + " does not apply to this command";
    if (o.method == HidingMethod::Stealth && o.command == Subcommand::Hide) {
        if (o.bits) return "--bits does not apply to --method stealth";
        if (o.cipher && o.cipher != CipherFromName(kStealthCipher))
            return std::string("--method stealth always encrypts with ") + kStealthCipher;
    }
    return {};
}

}  // namespace

ParseResult ParseArguments(const std::vector<std::string>& args) {
    ParseResult result;
    CliOptions& o = result.options;
    std::vector<std::string> seenOptions;
    bool optionsEnded = false;  // after "--" every word is a command or a file
    for (size_t i = 0; i < args.size() && result.error.empty(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--" && !optionsEnded) {
            optionsEnded = true;
        } else if (arg.size() > 1 && arg[0] == '-' && !optionsEnded) {
            seenOptions.push_back(arg);
            result.error = ParseOption(args, i, o);
        } else if (o.command == Subcommand::None) {
            const auto command = Lookup(kSubcommands, arg);
            if (!command)
                result.error = "unknown command " + arg;
            else
                o.command = static_cast<Subcommand>(*command);
        } else {
            o.operands.push_back(arg);
        }
    }
    if (result.error.empty()) result.error = CheckCall(o, seenOptions);
    return result;
}

std::string UsageText() {
    return "Usage: tarnwerk-cli COMMAND FILES... [OPTIONS]\n"
           "\n"
           "Commands:\n"
           "  info CARRIER [--json]                 type, size and free room of a carrier\n"
           "                                        (BMP with 8 or 24 bits, PNG, RAW;\n"
           "                                        for stealth: recommended and maximum room)\n"
           "  hide CARRIER DATA                     hide DATA in CARRIER (changes CARRIER in place)\n"
           "       [--method classic|stealth] [--compress|--no-compress]\n"
           "       classic: [--bits 1|2|4] [--cipher " +
           JoinedBy(CipherWords(), "|") +
           "]\n"
           "       stealth: always xchacha20; above the recommended room only with --force\n"
           "       [--passphrase-file FILE]\n"
           "       [--output NEW [--force]]         write the result to NEW, CARRIER stays as it is\n"
           "  extract CARRIER OUTPUT [--passphrase-file FILE] [--force]\n"
           "       [--method classic|stealth]       get hidden data back: the classic markers are\n"
           "                                        probed (1, 2, 4 bits), then the passphrase is\n"
           "                                        tried for stealth data; --method stealth skips\n"
           "                                        the probe, --method classic never tries stealth\n"
           "  export CARRIER OUTPUT [--bits 1|2|4] [--force]\n"
           "                                        write the raw low-bit stream of the carrier\n"
           "  size DATA [--bits ...] [--compress|--no-compress] [--cipher ...] [--json]\n"
           "                                        carrier size needed for DATA\n"
           "\n"
           "Options for every command:\n"
           "  --settings FILE     take defaults from this settings file (flags override)\n"
           "  --language de|en|nl|fr\n"
           "  --quiet             print failures only\n"
           "  --help, --version\n"
           "  --                  ends the options: the words after it are files\n"
           "\n"
           "Without --passphrase-file the passphrase is asked on the terminal.\n"
           "The stealth method is much harder to detect than the classic one, but nothing is\n"
           "undetectable at large payloads; the classic method stays for compatibility.\n"
           "Exit status: 0 success, 1 refusal or failure, 2 usage error; 130, 143 or 129 when\n"
           "ended by Ctrl-C, SIGTERM or SIGHUP (no scratch file is left, an existing output is kept).\n";
}

}  // namespace tarnwerk::cli
