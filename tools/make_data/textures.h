// Procedural textures of the default scene: the 17 bitmap files and the four
// raw terrain images, made the same way, byte for byte, on every run.
#pragma once

#include <string>
#include <vector>

// Writes every bitmap (.bmp) and raw (.raw) texture file into outputDir.
void makeTextures(const std::string& outputDir);

// The bytes of one texture file of the default scene, by its file name (as
// makeTextures writes it); empty for a name that is not one of them. For
// other scenes that take some of the default pictures: the sky, the grass,
// the raw terrain images.
std::vector<unsigned char> defaultTextureFile(const std::string& fileName);
