#include "crypto/clsRC4.h"

#include <algorithm>
#include <utility>

#include "crypto/CipherFiles.h"
#include "crypto/ProgressStep.h"
#include "crypto/SecureWipe.h"

namespace tarnwerk {

clsRC4::~clsRC4() {
    SecureWipeObject(s_);
    SecureWipe(keyString_);
}

void clsRC4::SetKey(const std::string& key) {
    // The original failed on an empty key once keyed (no key bytes to cycle through).
    if (key == keyString_ || key.empty()) return;
    SecureWipe(keyString_);
    keyString_ = key;
    for (int i = 0; i < 256; ++i) s_[i] = static_cast<uint8_t>(i);
    uint8_t j = 0;
    for (std::size_t i = 0; i < 256; ++i) {
        j = static_cast<uint8_t>(j + s_[i] + static_cast<uint8_t>(key[i % key.size()]));
        std::swap(s_[i], s_[j]);
    }
}

void clsRC4::EncryptByte(std::vector<uint8_t>& byteArray, const std::string& key) {
    if (!key.empty()) SetKey(key);
    uint8_t t[256];
    std::copy(std::begin(s_), std::end(s_), t);
    uint8_t i = 0, j = 0;
    uint8_t* data = byteArray.data();
    const auto n = static_cast<int64_t>(byteArray.size());
    ProgressStep progress(Progress, n);
    // Runs of bytes between two progress thresholds go without a check per byte.
    for (int64_t p = 0; p < n;) {
        const int64_t reportAt = std::max(p, progress.Threshold());
        const int64_t runEnd = std::min(n, reportAt + 1);
        for (; p < runEnd; ++p) {
            i = static_cast<uint8_t>(i + 1);
            const uint8_t ti = t[i];
            j = static_cast<uint8_t>(j + ti);
            const uint8_t tj = t[j];
            t[i] = tj;
            t[j] = ti;
            data[p] ^= t[static_cast<uint8_t>(ti + tj)];
        }
        if (reportAt < n) progress.Report(reportAt);
    }
    progress.Finish();
    SecureWipeObject(t);
}

bool clsRC4::DecryptByte(std::vector<uint8_t>& byteArray, const std::string& key) {
    EncryptByte(byteArray, key);
    return true;
}

Status clsRC4::EncryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                           const std::string& key) {
    return TransformFile(inPath, outPath, overwrite, EmptyInput::Refused, [&](std::vector<uint8_t>& buffer) {
        EncryptByte(buffer, key);
        return Status{};
    });
}

Status clsRC4::DecryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                           const std::string& key) {
    return EncryptFile(inPath, outPath, overwrite, key);
}

}  // namespace tarnwerk
