// The one error type of the picture layer. what() is the text shown to the
// player in the general error box, e.g. "Cannot open file KLBack.bmp".
#pragma once

#include <stdexcept>
#include <string>

namespace kelmar {

class GraphicsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Cannot open file <name>": the file is missing or cannot be read at all.
GraphicsError CannotOpenFileError(const std::string& fileName);
// "Bitmap image is not valid": the file exists but holds no usable picture.
GraphicsError InvalidBitmapError();
// "JPEG error #<code>": the JPEG decoder gave up with message code `code`.
GraphicsError JpegError(int code);

} // namespace kelmar
