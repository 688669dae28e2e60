/* stb's picture decoding, resizing and rectangle packing for the web
   importer, which Debian's libstb gives the native one: the
   implementations of libstb-dev's headers, compiled here. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
#define STB_RECT_PACK_IMPLEMENTATION
#include <stb_rect_pack.h>
