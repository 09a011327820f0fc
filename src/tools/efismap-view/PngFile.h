#pragma once
// Writing a view as a PNG file (8-bit RGB; alpha is dropped) with libpng.

#include <string_view>

#include "imaging/Raster32.h"

namespace cz {

// Writes image to path atomically (a temporary file renamed into place). Throws
// CartozenError("Unable to write to " + path) when the file cannot be written.
void WritePngFile(const Raster32& image, std::string_view path);

}  // namespace cz
