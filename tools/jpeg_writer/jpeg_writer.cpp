#include "jpeg_writer.h"

#include <cerrno>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace jpeg_writer {
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

// Compresses into a malloc'ed buffer, asking `rows` for each row into
// `row`. Kept free of C++ objects with destructors because of the longjmp.
bool compress(int width, int height, int components, int quality, const RowSource& rows, unsigned char* row,
              unsigned char** out, unsigned long* outSize, char* message) {
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
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        rows(static_cast<int>(cinfo.next_scanline), row);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

bool write(const std::string& path, int width, int height, int components, int quality, const RowSource& rows,
           std::string& error) {
    if (width < 1 || height < 1 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION ||
        (components != 1 && components != 3)) {
        error = "cannot encode " + path + ": a JPEG here is greyscale or RGB, 1 to " +
                std::to_string(JPEG_MAX_DIMENSION) + " pixels a side";
        return false;
    }
    std::vector<unsigned char> row(static_cast<size_t>(width) * components);
    unsigned char* data = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    if (!compress(width, height, components, quality, rows, row.data(), &data, &size, message)) {
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

bool write(const std::string& path, int width, int height, int components, int quality,
           const unsigned char* pixels, std::string& error) {
    const size_t stride = static_cast<size_t>(width) * components;
    return write(
        path, width, height, components, quality,
        [&](int y, unsigned char* row) { std::memcpy(row, pixels + stride * static_cast<size_t>(y), stride); },
        error);
}

}  // namespace jpeg_writer
