// The default scene's geometry: the house and grounds as textured quads
// (data_textura.geo) and Bezier terrain patches (data_terreno.geo).
#pragma once

#include <string>

// Writes data_textura.geo and data_terreno.geo into outputDir.
void makeSceneFiles(const std::string& outputDir);
