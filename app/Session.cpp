#include "app/Session.h"

#include "config/Strings.h"

namespace tarnwerk {

std::string Session::Text(int id) const { return tarnwerk::Text(languageBase, id); }

}  // namespace tarnwerk
