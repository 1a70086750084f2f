#include "app/Session.h"

#include "config/Strings.h"

namespace tarnwerk {

std::string ProgramSettings::Text(TextId id) const { return tarnwerk::Text(languageBase, id); }

PayloadOptions ProgramSettings::Options() const {
    PayloadOptions options;
    options.compress = settings.Compression;
    options.encrypt = settings.Encryption;
    options.cipher = settings.Algorithmus;
    options.bitsPerByte = settings.bitsPerByte;
    return options;
}

}  // namespace tarnwerk
