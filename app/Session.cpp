#include "app/Session.h"

#include "config/Strings.h"

namespace tarnwerk {

std::string Session::Text(TextId id) const { return tarnwerk::Text(languageBase, id); }

}  // namespace tarnwerk
