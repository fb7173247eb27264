// gen_textures OUTDIR: writes the city's JPEG textures into OUTDIR at build
// time. Silent on success; one line on stderr and exit code 1 on failure.
#include <cstdio>
#include <string>

#include "textures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_textures OUTDIR\n");
        return 1;
    }
    std::string error;
    if (!gentex::writeAllTextures(argv[1], error)) {
        std::fprintf(stderr, "gen_textures: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
