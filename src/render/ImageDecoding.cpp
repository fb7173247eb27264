#include "render/ImageDecoding.h"

#include "render/GLCapabilities.h"

#include <IL/il.h>

#include <fstream>
#include <vector>

namespace {

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

}  // namespace

DecodedImage decodeImage(const char* fileName, const std::string& path) {
    DecodedImage result;
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
        // The library's own conversion to floats goes through a zeroed
        // buffer of its own four times the image's size; copying the bytes
        // and dividing here gives the same floats in a third of the time.
        std::vector<ILubyte> bytes(static_cast<std::size_t>(size));
        ilCopyPixels(0, 0, 0, width, height, 1, luminance ? IL_LUMINANCE : IL_RGBA, IL_UNSIGNED_BYTE, bytes.data());
        pixels.reset(new float[size]);
        for (int i = 0; i < size; ++i) pixels[i] = bytes[static_cast<std::size_t>(i)] / 255.0f;
    }
    ilDeleteImages(1, &handle);
    result.image = ImageData(std::move(pixels), size, width, height, glFormat);
    return result;
}
