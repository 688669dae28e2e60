// Fuzz target of the BMP reader: any bytes are read or refused, and a picture
// that is read is whole (every pixel inside the array the reader made).
#include "fuzz_silence.h"
#include "image/bmp_reader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    silenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Pixmap pixmap;
    const int result = readBmp(data, size, pixmap, std::cout);
    if (result != 0 && result != 1)
        std::abort();
    if (pixmap.pixels) {
        // A height of 0 is an empty picture of its width.
        if (pixmap.rowCount < 0 || pixmap.columnCount < 1 ||
            pixmap.rowCount > BmpMaxSide || pixmap.columnCount > BmpMaxSide)
            std::abort();
        // Touch the last pixel: AddressSanitizer sees an array too small.
        const std::size_t count = std::size_t(pixmap.rowCount) * pixmap.columnCount;
        if (count > 0) {
            volatile std::uint8_t red = pixmap.pixels[count - 1].red;
            (void)red;
        }
    } else if (result == 1) {
        std::abort();  // success with no picture
    }
    delete[] pixmap.pixels;
    return 0;
}
