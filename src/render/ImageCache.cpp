#include "render/ImageCache.h"

#include "platform/DataPath.h"

#include <IL/il.h>

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>

ImageLoader::ImageLoader() {
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
}

namespace {

// A file is taken to be unchanged while its size and time stamp are.
struct Stamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type changed;
    bool operator==(const Stamp& o) const { return size == o.size && changed == o.changed; }
};

// False for anything that is not a readable regular file's stamp.
bool stampOf(const std::string& path, Stamp* stamp) {
    std::error_code error;
    stamp->size = std::filesystem::file_size(path, error);
    if (error) return false;
    stamp->changed = std::filesystem::last_write_time(path, error);
    return !error;
}

struct CacheEntry {
    Stamp stamp;
    DecodedImage decoded;
};

struct Cache {
    std::map<std::string, CacheEntry> entries;
    std::size_t bytes = 0;
};

Cache& cache() {
    static Cache kept;
    return kept;
}

std::size_t bytesOf(const ImageData& image) { return image.pixels ? std::size_t(image.size) * sizeof(float) : 0; }

}  // namespace

namespace imageCache {
std::size_t bytes() { return cache().bytes; }
void clear() {
    cache().entries.clear();
    cache().bytes = 0;
}
}  // namespace imageCache

ImageData ImageLoader::load(const char* fileName) {
    const std::string path = platform::nativePath(fileName);
    // A file that is not there (or no file) is tried again next time.
    Stamp stamp;
    const bool exists = stampOf(path, &stamp);
    Cache& kept = cache();
    auto found = exists ? kept.entries.find(path) : kept.entries.end();
    if (found != kept.entries.end() && !(found->second.stamp == stamp)) {
        kept.bytes -= bytesOf(found->second.decoded.image);
        kept.entries.erase(found);
        found = kept.entries.end();
    }
    if (found == kept.entries.end()) {
        DecodedImage decoded = decodeImage(fileName, path);
        const std::size_t bytes = bytesOf(decoded.image);
        if (!exists || kept.bytes + bytes > imageCache::BUDGET) {
            if (!decoded.message.empty()) std::cout << decoded.message << std::endl;
            return decoded.image;
        }
        kept.bytes += bytes;
        found = kept.entries.emplace(path, CacheEntry{stamp, std::move(decoded)}).first;
    }
    const DecodedImage& decoded = found->second.decoded;
    if (!decoded.message.empty()) std::cout << decoded.message << std::endl;
    return decoded.image;
}
