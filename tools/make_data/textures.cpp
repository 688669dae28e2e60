// Procedural textures.
#include "textures.h"

void makeTextures(const std::string&) {}
