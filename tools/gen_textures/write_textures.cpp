// Writes the list of textures the city needs as greyscale JPEGs.
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "jpeg_writer.h"
#include "street_tiles.h"
#include "textures.h"

namespace gentex {

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
        const GrayImage& image = images[i];
        if (!jpeg_writer::write(path, image.width, image.height, 1, kQuality, image.pixels.data(), error))
            return false;
    }
    return true;
}

}  // namespace gentex
