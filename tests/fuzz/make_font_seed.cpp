// Writes a tiny valid ".glf" font (a 4 x 2 texture with glyphs for 'A'
// and 'B') as the font fuzzer's starting point; small inputs keep it fast.
// Usage: make_font_seed OUTFILE
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void put32(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void putFloat(std::vector<unsigned char>& out, float f) {
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof(bits));
    put32(out, bits);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_font_seed OUTFILE\n");
        return 2;
    }
    const int width = 4, height = 2;
    std::vector<unsigned char> out;
    for (uint32_t v : {0u, uint32_t(width), uint32_t(height), uint32_t('A'), uint32_t('B'), 0u}) put32(out, v);
    // width, height, left, top, right, bottom
    for (float f : {2.0f, 2.0f, 0.0f, 0.0f, 0.5f, 1.0f}) putFloat(out, f);
    for (float f : {2.0f, 2.0f, 0.5f, 0.0f, 1.0f, 1.0f}) putFloat(out, f);
    for (int i = 0; i < width * height; ++i) {
        out.push_back(255);
        out.push_back(static_cast<unsigned char>(i % 2 ? 255 : 0));
    }
    FILE* file = std::fopen(argv[1], "wb");
    if (!file || std::fwrite(out.data(), 1, out.size(), file) != out.size() || std::fclose(file) != 0) {
        std::fprintf(stderr, "make_font_seed: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
