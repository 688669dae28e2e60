// Scene geometry.
#include "scene_files.h"

void makeSceneFiles(const std::string&) {}
