#include "core/StealthOrder.h"

#include <algorithm>
#include <unordered_set>

namespace tarnwerk {

namespace {

__extension__ using Wide = unsigned __int128;  // g++ and clang both have it

template <class T>
void KeyedShuffle(std::vector<T>& items, KeyedStream& stream) {
    for (size_t i = items.size(); i-- > 1;) {
        const uint32_t j = stream.Below(static_cast<uint32_t>(i + 1));
        std::swap(items[i], items[j]);
    }
}

// Salt samples inside [begin, end).
size_t ExcludedIn(const std::vector<uint32_t>& excluded, uint64_t begin, uint64_t end) {
    const auto low = std::lower_bound(excluded.begin(), excluded.end(), begin);
    const auto high = std::lower_bound(low, excluded.end(), end);
    return static_cast<size_t>(high - low);
}

}  // namespace

std::vector<uint32_t> SaltRegion(size_t samples) {
    KeyedStream stream(PublicStealthKey(kSaltRegionLabel, samples), 0);
    std::vector<uint32_t> region;
    region.reserve(kSaltRegionSamples);
    std::unordered_set<uint32_t> taken;
    while (region.size() < std::min(kSaltRegionSamples, samples)) {
        const Wide wide = static_cast<Wide>(stream.Next64()) * samples;
        const auto index = static_cast<uint32_t>(wide >> 64);
        if (taken.insert(index).second) region.push_back(index);
    }
    return region;
}

StealthOrder::StealthOrder(const StealthKey& orderKey, const StealthLayout& layout, std::vector<uint32_t> excluded)
    : key_(orderKey), layout_(layout), excluded_(std::move(excluded)) {
    std::sort(excluded_.begin(), excluded_.end());
    const size_t runCount = (layout_.samples + kRunSamples - 1) / kRunSamples;
    runs_.resize(runCount);
    for (size_t r = 0; r < runCount; ++r) runs_[r] = static_cast<uint32_t>(r);
    KeyedStream stream(key_, 0);
    KeyedShuffle(runs_, stream);
    usableBefore_.resize(runCount + 1);
    uint64_t usable = 0;
    for (size_t p = 0; p < runCount; ++p) {
        usableBefore_[p] = static_cast<uint32_t>(usable);
        const uint64_t begin = uint64_t{runs_[p]} * kRunSamples;
        const uint64_t end = std::min<uint64_t>(begin + kRunSamples, layout_.samples);
        usable += end - begin - ExcludedIn(excluded_, begin, end);
    }
    usableBefore_[runCount] = static_cast<uint32_t>(usable);
}

StealthOrder::Cursor StealthOrder::Locate(size_t position) const {
    const auto after = std::upper_bound(usableBefore_.begin(), usableBefore_.end(), static_cast<uint32_t>(position));
    Cursor cursor;
    cursor.run = static_cast<size_t>(after - usableBefore_.begin()) - 1;
    cursor.offset = position - usableBefore_[cursor.run];
    return cursor;
}

std::vector<uint32_t> StealthOrder::Segment(size_t segment) const {
    return Region(kHeaderRegionSamples + segment * kSegmentSamples, layout_.SegmentSize(segment),
                  kFirstSegmentId + segment);
}

std::vector<uint32_t> StealthOrder::Region(size_t start, size_t size, uint64_t id) const {
    std::vector<uint32_t> indices;
    indices.reserve(size);
    Cursor cursor = Locate(start);
    size_t skip = cursor.offset;
    for (size_t p = cursor.run; indices.size() < size && p < runs_.size(); ++p) {
        const uint64_t begin = uint64_t{runs_[p]} * kRunSamples;
        const uint64_t end = std::min<uint64_t>(begin + kRunSamples, layout_.samples);
        auto salt = std::lower_bound(excluded_.begin(), excluded_.end(), begin);
        for (uint64_t i = begin; i < end && indices.size() < size; ++i) {
            if (salt != excluded_.end() && *salt == i) {
                ++salt;
                continue;
            }
            if (skip > 0) {
                --skip;
                continue;
            }
            indices.push_back(static_cast<uint32_t>(i));
        }
    }
    KeyedStream stream(key_, id);
    KeyedShuffle(indices, stream);
    return indices;
}

}  // namespace tarnwerk
