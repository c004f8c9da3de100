// Image files where the build has no image libraries (the Windows builds: libpng, libjpeg,
// libtiff and OpenEXR are Linux libraries here): a texture that names one fails the render
// with a clear message.
#include "ImageIO.h"
#include "app/core/Files.h"

namespace lensara {

Bitmap ReadImage(const std::filesystem::path& file) { throw FileError(file, "this build reads no image files"); }

}  // namespace lensara
