#include "render/Texture.h"

#include "platform/DataPath.h"
#include "render/GLError.h"

#include <IL/il.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

ImageLoader::ImageLoader() {
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
}

int maxImageSide() {
    GLint driver = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &driver);
    return driver > 0 && driver < 4096 ? driver : 4096;
}

namespace {

// What one decoding gave: the image and the line it printed, if any.
struct Decoded {
    ImageData image;
    std::string message;
};

// The size a JPEG file's frame header gives, without decoding the image;
// false when the file is no JPEG or its header cannot be found.
bool jpegSize(const std::string& path, int* width, int* height) {
    std::ifstream file(path, std::ios::binary);
    unsigned char b[9];
    if (!file.read(reinterpret_cast<char*>(b), 2) || b[0] != 0xFF || b[1] != 0xD8) return false;
    // Segments up to the first frame header: FF, a marker, a 2-byte length.
    for (int segment = 0; segment < 1000; ++segment) {
        if (!file.read(reinterpret_cast<char*>(b), 4) || b[0] != 0xFF) return false;
        const int marker = b[1];
        // Fill bytes and markers without a length: left to the library.
        if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) return false;
        const int length = b[2] << 8 | b[3];
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (!file.read(reinterpret_cast<char*>(b), 5)) return false;
            *height = b[1] << 8 | b[2];
            *width = b[3] << 8 | b[4];
            return true;
        }
        if (length < 2 || marker == 0xDA || !file.seekg(length - 2, std::ios::cur)) return false;
    }
    return false;
}

std::string tooLarge(const char* fileName, int width, int height, int limit) {
    return std::string("ERROR: can't use Image ") + fileName + ": " + std::to_string(width) + " x " +
           std::to_string(height) + " pixels, more than " + std::to_string(limit) + " a side";
}

Decoded decode(const char* fileName, const std::string& path) {
    Decoded result;
    const int limit = maxImageSide();
    // A JPEG too large to use is refused before the library spends seconds
    // and hundreds of megabytes decoding it.
    int claimedWidth = 0, claimedHeight = 0;
    if (jpegSize(path, &claimedWidth, &claimedHeight) && (claimedWidth > limit || claimedHeight > limit)) {
        result.message = tooLarge(fileName, claimedWidth, claimedHeight, limit);
        result.image = ImageData(nullptr, 0, 0, 0, GL_RGBA);
        return result;
    }
    ILuint handle = 0;
    ilGenImages(1, &handle);
    ilBindImage(handle);
    if (!ilLoadImage(path.c_str())) result.message = std::string("ERROR: can't load Image ") + fileName;
    const int width = ilGetInteger(IL_IMAGE_WIDTH);
    const int height = ilGetInteger(IL_IMAGE_HEIGHT);
    const int format = ilGetInteger(IL_IMAGE_FORMAT);
    const bool luminance = format == IL_LUMINANCE;
    const GLenum glFormat = luminance ? GL_LUMINANCE : GL_RGBA;

    if (width > limit || height > limit) {
        result.message = tooLarge(fileName, width, height, limit);
        ilDeleteImages(1, &handle);
        result.image = ImageData(nullptr, 0, 0, 0, glFormat);
        return result;
    }

    const int channels = luminance ? 1 : 4;
    const int size = width > 0 && height > 0 ? width * height * channels : 0;
    std::shared_ptr<float[]> pixels;
    if (size > 0) {
        pixels.reset(new float[size]);
        ilCopyPixels(0, 0, 0, width, height, 1, luminance ? IL_LUMINANCE : IL_RGBA, IL_FLOAT, pixels.get());
    }
    ilDeleteImages(1, &handle);
    result.image = ImageData(std::move(pixels), size, width, height, glFormat);
    return result;
}

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
    Decoded decoded;
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
        Decoded decoded = decode(fileName, path);
        const std::size_t bytes = bytesOf(decoded.image);
        if (!exists || kept.bytes + bytes > imageCache::BUDGET) {
            if (!decoded.message.empty()) std::cout << decoded.message << std::endl;
            return decoded.image;
        }
        kept.bytes += bytes;
        found = kept.entries.emplace(path, CacheEntry{stamp, std::move(decoded)}).first;
    }
    const Decoded& decoded = found->second.decoded;
    if (!decoded.message.empty()) std::cout << decoded.message << std::endl;
    return decoded.image;
}

Texture::Texture(const char* fileName, GLint wrapS, GLint wrapT, GLint magFilter, GLint minFilter)
    : minFilter_(minFilter), magFilter_(magFilter), wrapS_(wrapS), wrapT_(wrapT), state_(std::make_shared<State>()) {
    ImageLoader loader;
    state_->image = loader.load(fileName);
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    state_->name = gl::TextureName::generate();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    checkGLError();
}

const ImageData& Texture::image() const {
    static const ImageData none;
    return state_ ? state_->image : none;
}

void Texture::upload() {
    if (!state_) return;
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, state_->name.get());
    // On a software rasteriser 16x anisotropy doubles the frame time and
    // stalls single frames at grazing angles, so it is kept for hardware.
    if (!isSoftwareRenderer()) glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 16.0f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter_);
    ImageData& image = state_->image;
    // A second upload (the pixels already handed over) only refreshes the
    // parameters; an image that failed to decode has no pixels to send.
    if (image.pixels) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE32F_ARB, image.width, image.height, 0, image.format, GL_FLOAT,
                     image.pixels.get());
        glGenerateMipmap(GL_TEXTURE_2D);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    checkGLError();
    image.release();
}

void Texture::bind(GLenum unit) const {
    glActiveTexture(unit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name());
    glActiveTexture(GL_TEXTURE0);
}

void Texture::unbind(GLenum unit) const {
    glActiveTexture(unit);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
}

bool isSoftwareRenderer() {
    static const bool software = [] {
        const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        if (!renderer) return false;
        const std::string r(renderer);
        return r.find("llvmpipe") != std::string::npos || r.find("softpipe") != std::string::npos ||
               r.find("swrast") != std::string::npos;
    }();
    return software;
}
