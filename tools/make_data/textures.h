// Procedural textures of the default scene: the 17 bitmap files and the four
// raw terrain images, made the same way, byte for byte, on every run.
#pragma once

#include <string>

// Writes every bitmap (.bmp) and raw (.raw) texture file into outputDir.
void makeTextures(const std::string& outputDir);
