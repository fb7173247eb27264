// Baseline greyscale JPEG output through libjpeg, and the list of textures
// the city needs.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <jpeglib.h>

#include "street_tiles.h"
#include "textures.h"

namespace gentex {
namespace {

struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's default handler exits the process; jump back instead so the
// failure is reported like any other.
void onJpegError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void ignoreJpegMessage(j_common_ptr) {}

// Compresses into a malloc'ed buffer. Kept free of C++ objects with
// destructors because of the longjmp.
bool compressGray(const GrayImage& img, int quality, unsigned char** out, unsigned long* outSize,
                  char* message) {
    jpeg_compress_struct cinfo;
    JpegErrorManager err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = onJpegError;
    err.base.output_message = ignoreJpegMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        std::strcpy(message, err.message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = static_cast<JDIMENSION>(img.width);
    cinfo.image_height = static_cast<JDIMENSION>(img.height);
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&img.pixels[static_cast<size_t>(cinfo.next_scanline) * img.width]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

bool writeGrayJpeg(const std::string& path, const GrayImage& img, int quality, std::string& error) {
    unsigned char* data = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    if (!compressGray(img, quality, &data, &size, message)) {
        std::free(data);
        error = "cannot encode " + path + ": " + message;
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::free(data);
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    const bool closed = std::fclose(file) == 0;
    std::free(data);
    if (!written || !closed) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool writeAllTextures(const std::string& dir, std::string& error) {
    constexpr int kQuality = 90;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        error = "cannot create " + dir + ": " + ec.message();
        return false;
    }

    struct Texture {
        std::string file;
        std::function<GrayImage()> render;
    };
    std::vector<Texture> textures = {
        {"paving.jpg", renderPaving},
        {"wall_3windows.jpg", renderWallThreeWindows},
        {"oldhouse.jpg", renderOldHouse},
    };
    for (const street_tiles::StreetTile& tile : street_tiles::kStreetTiles)
        textures.push_back({tile.file, [open = tile.open] { return renderStreetTile(open); }});

    // Images are independent, so both cores draw them; the bytes do not
    // depend on which thread drew what. Files are written afterwards in a
    // fixed order so a failure is reported the same way every time.
    std::vector<GrayImage> images(textures.size(), GrayImage(0, 0));
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t i = next++; i < textures.size(); i = next++) images[i] = textures[i].render();
    };
    std::vector<std::thread> helpers;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned k = 1; k < std::min(cores, 2u); ++k) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // no thread to spare: this one draws everything
        }
    }
    work();
    for (std::thread& t : helpers) t.join();

    for (size_t i = 0; i < textures.size(); ++i) {
        const std::string path = (std::filesystem::path(dir) / textures[i].file).string();
        if (!writeGrayJpeg(path, images[i], kQuality, error)) return false;
    }
    return true;
}

}  // namespace gentex
