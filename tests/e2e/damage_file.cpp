// Damages one data file the way the bad-data tests need: missing, empty,
// truncated to half its length, or replaced by as many garbage bytes
// (the same bytes on every run).
// Usage: damage_file PATH missing|empty|truncated|garbage
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: damage_file PATH missing|empty|truncated|garbage\n");
        return 2;
    }
    const std::string path = argv[1];
    const std::string kind = argv[2];
    std::vector<char> bytes;
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "damage_file: cannot read %s\n", path.c_str());
            return 1;
        }
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // The file may be a link into the real game folder: replace, never write through.
    std::filesystem::remove(path);
    if (kind == "missing") return 0;
    if (kind == "empty") {
        bytes.clear();
    } else if (kind == "truncated") {
        bytes.resize(bytes.size() / 2);
    } else if (kind == "garbage") {
        std::uint32_t state = 2463534242u;
        for (char& b : bytes) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            b = static_cast<char>(state & 0xFF);
        }
    } else {
        std::fprintf(stderr, "damage_file: unknown kind %s\n", kind.c_str());
        return 2;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
}
