// The name a hide proposes for its result when the original picture is to stay as it is.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "config/Settings.h"

namespace tarnwerk {

// "NAME-1.EXT" beside the carrier; "NAME-2.EXT" when taken(NAME-1.EXT), and so on. Only the
// last extension counts ("a.tar.gz" gives "a.tar-1.gz"); a name without one, or a dot file,
// gets the number at its end. When every number up to a bound is taken, "NAME-1.EXT": the
// save dialog then asks before it is replaced.
std::string ProposeResultName(const std::string& carrierPath, const std::function<bool(const std::string&)>& taken);

// The same, with anything at the path (a dangling link included) counting as taken.
std::string ProposeResultName(const std::string& carrierPath);

// The carrier filter for the result's save dialog, the entries that name the carrier's
// extension first (any case), so the dialog opens on the carrier's own kind.
std::vector<FileFilter> ResultFilter(const std::vector<FileFilter>& carrierFilter, const std::string& carrierPath);

}  // namespace tarnwerk
