// BMP reader.
#include "image/pixmap.h"

int Pixmap::loadBmp(const std::string&) { return 0; }
