// The grid layout, its drawing and picking on arbitrary georeferences: corner angles and
// pixels, skews, method, step counts and placed points straight from the input bytes, as a
// hostile settings file could give them. Nothing may crash, overflow, divide by zero,
// convert a NaN or index the grid outside 0..63.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "georef/GridDrawing.h"
#include "georef/GridPicking.h"

namespace {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  template <typename T>
  T Take() {
    T value{};
    const std::size_t n = size_ < sizeof(T) ? size_ : sizeof(T);
    std::memcpy(&value, data_, n);
    data_ += n;
    size_ -= n;
    return value;
  }
  bool Empty() const { return size_ == 0; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  cz::GeoReference geoRef;
  geoRef.TopLeft = {in.Take<double>(), in.Take<double>(), in.Take<std::int32_t>(),
                    in.Take<std::int32_t>()};
  geoRef.BottomRight = {in.Take<double>(), in.Take<double>(), in.Take<std::int32_t>(),
                        in.Take<std::int32_t>()};
  geoRef.SkewLeft = in.Take<std::int32_t>();
  geoRef.SkewRight = in.Take<std::int32_t>();
  geoRef.GeoReferencingType = in.Take<std::uint8_t>();
  geoRef.NLon = in.Take<std::int32_t>();
  geoRef.NLat = in.Take<std::int32_t>();
  const double scale = in.Take<double>();
  const auto offsetX = in.Take<std::int32_t>();
  const auto offsetY = in.Take<std::int32_t>();
  // Placed points: column, row, x, y.
  while (!in.Empty()) {
    const auto c = in.Take<std::uint8_t>() % cz::kGridSize;
    const auto r = in.Take<std::uint8_t>() % cz::kGridSize;
    geoRef.Grid[c][r] = {in.Take<std::int32_t>(), in.Take<std::int32_t>(), 0.0f, 1};
  }
  const cz::ViewMapping view{scale, offsetX, offsetY};
  cz::NullGridPainter painter;
  cz::SilentUserInterface ui;
  cz::GridPickState pick;
  cz::PressOnOverlay(pick, geoRef, view, offsetX, offsetY, true, false, ui);
  cz::DrawGridFromGeoRef(geoRef, view, painter, ui);
  cz::PressOnOverlay(pick, geoRef, view, offsetY, offsetX, true, false, ui);
  cz::DrawGridFromGeoRef(geoRef, view, painter, ui);
  return 0;
}
