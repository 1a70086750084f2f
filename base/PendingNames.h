// Names that files carry only for a moment (an output between being linked beside its target
// and renamed onto it, a scratch file where the system cannot keep it unnamed). A signal
// handler removes them with RemovePendingNames, so an interrupted command leaves none behind.
#pragma once

#include <string>

namespace tarnwerk {

// Holds one name in the table while it lives; the name is not removed by the destructor.
class PendingName {
public:
    explicit PendingName(const std::string& path);
    ~PendingName();
    PendingName(const PendingName&) = delete;
    PendingName& operator=(const PendingName&) = delete;

private:
    int slot_ = -1;  // -1: the table was full, the name is not covered
};

// Unlinks every name in the table; async-signal-safe.
void RemovePendingNames();

}  // namespace tarnwerk
