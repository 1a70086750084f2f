#include "core/EndMarkerScan.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/FileIo.h"
#include "core/PayloadFormat.h"

namespace tarnwerk {

namespace {

constexpr size_t kScanChunk = size_t{1} << 20;
// Bytes kept from one piece to the next, so a marker spanning two pieces is seen.
constexpr size_t kCarried = kMarkerLength - 1;

bool HoldsMarker(const std::vector<uint8_t>& bytes) {
    return std::search(bytes.begin(), bytes.end(), kEndMarker.begin(), kEndMarker.end()) != bytes.end();
}

// Keeps the last kCarried bytes at the front, ready for the next piece.
void Carry(std::vector<uint8_t>& window) {
    const size_t keep = std::min(window.size(), kCarried);
    std::memmove(window.data(), window.data() + window.size() - keep, keep);
    window.resize(keep);
}

}  // namespace

Result<bool> EndMarkerCutsPayload(std::string_view header, int fd, int64_t size, const std::string& path) {
    std::vector<uint8_t> window(header.begin(), header.end());
    window.reserve(kCarried + kScanChunk);
    for (int64_t done = 0; done < size;) {
        if (HoldsMarker(window)) return true;
        Carry(window);
        const size_t part = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(kScanChunk), size - done));
        const size_t held = window.size();
        window.resize(held + part);
        if (auto read = ReadAt(fd, window.data() + held, part, done, path); !read) return read.error();
        done += static_cast<int64_t>(part);
    }
    // The real marker follows: only an occurrence that starts before it counts.
    window.insert(window.end(), kEndMarker.begin(), kEndMarker.end() - 1);
    return HoldsMarker(window);
}

}  // namespace tarnwerk
