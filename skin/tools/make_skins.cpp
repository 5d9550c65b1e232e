// Writes the skins 1..33 as skinNN.she into the directory given.
#include <cstdio>
#include <fstream>
#include <string>

#include "catalog/skin_catalog.h"
#include "format/skin_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s output-directory\n", argv[0]);
        return 2;
    }
    using namespace vorda::skin;
    for (int n = 1; n <= kSkinCount; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/skin%02d.she", n);
        const std::string bytes = writeSkin(skinDesign(n), skinFileSize(n));
        std::ofstream out(argv[1] + std::string(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s%s\n", argv[1], name);
            return 1;
        }
    }
    return 0;
}
