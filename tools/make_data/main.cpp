// make_data: writes every data file of the default scene into one folder.
//   make_data OUTPUT_DIR
#include "scene_files.h"
#include "textures.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_data OUTPUT_DIR\n");
        return 2;
    }
    makeTextures(argv[1]);
    makeSceneFiles(argv[1]);
    return 0;
}
