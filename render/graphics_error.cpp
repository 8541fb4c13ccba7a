#include "render/graphics_error.h"

namespace kelmar {

GraphicsError CannotOpenFileError(const std::string& fileName) {
    return GraphicsError("Cannot open file " + fileName);
}

GraphicsError InvalidBitmapError() {
    return GraphicsError("Bitmap image is not valid");
}

GraphicsError JpegError(int code) {
    return GraphicsError("JPEG error #" + std::to_string(code));
}

} // namespace kelmar
