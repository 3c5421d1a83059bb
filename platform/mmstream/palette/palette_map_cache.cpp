#include "mmstream/palette/palette_map_cache.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace standin::mmstream {

namespace {

// About 100 KiB each.
constexpr size_t kKept = 4;

struct Cache {
    std::mutex mutex;
    // The most recently used last.
    std::vector<std::pair<std::array<uint32_t, 256>, std::shared_ptr<const PaletteMap>>> maps;
};

// Never destroyed: a decoding thread may still ask while statics go.
Cache &TheCache() {
    static Cache *cache = new Cache;
    return *cache;
}

// Moves the palette's map, if kept, to the end; called with the mutex held.
std::shared_ptr<const PaletteMap> Kept(Cache &cache, const std::array<uint32_t, 256> &palette) {
    const auto found =
        std::find_if(cache.maps.begin(), cache.maps.end(), [&](const auto &kept) { return kept.first == palette; });
    if (found == cache.maps.end()) return nullptr;
    std::rotate(found, found + 1, cache.maps.end());
    return cache.maps.back().second;
}

}  // namespace

std::shared_ptr<const PaletteMap> SharedPaletteMap(const std::array<uint32_t, 256> &palette) {
    Cache &cache = TheCache();
    {
        std::lock_guard<std::mutex> lock(cache.mutex);
        if (auto map = Kept(cache, palette)) return map;
    }
    // Made without the lock: other streams' maps need not wait for it.
    auto map = std::make_shared<const PaletteMap>(palette);
    std::lock_guard<std::mutex> lock(cache.mutex);
    // Another stream may have made it meanwhile.
    if (auto kept = Kept(cache, palette)) return kept;
    if (cache.maps.size() == kKept) cache.maps.erase(cache.maps.begin());
    cache.maps.emplace_back(palette, map);
    return map;
}

}  // namespace standin::mmstream
