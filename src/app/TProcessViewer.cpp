#include "TProcessViewer.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace cz {

namespace {

constexpr int kClientWidth = 616;
constexpr int kClientHeight = 617;
constexpr int kImageSize = 600;
constexpr int kImageMargin = 8;
constexpr std::uint32_t kOpaque = 0xFF000000u;

// Paints a raster at scale 1 from its top-left corner; the part outside the raster stays
// black, as the design's all-zero image shows.
class RasterView : public QWidget {
 public:
  RasterView(const Raster32& raster, QWidget* parent) : QWidget(parent), raster_(raster) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
    if (raster_.Empty()) return;
    const QImage image(reinterpret_cast<const uchar*>(raster_.Pixels()), raster_.Width(),
                       raster_.Height(), raster_.Width() * 4, QImage::Format_RGB32);
    const QRect shown = event->rect() & image.rect();
    if (!shown.isEmpty()) painter.drawImage(shown.topLeft(), image, shown);
  }

 private:
  const Raster32& raster_;
};

}  // namespace

TProcessViewer::TProcessViewer(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), image_(kImageSize, kImageSize) {
  setWindowTitle(QStringLiteral("Transformation process Viewer"));
  setFixedSize(kClientWidth, kClientHeight + ProgressPanel::kHeight);
  ProcessImage = new RasterView(image_, this);
  ProcessImage->setGeometry(kImageMargin, kImageMargin, kImageSize, kImageSize);
  Progress = new ProgressPanel(this, [this] {
    if (cancel_) cancel_();
  });
  Progress->setGeometry(0, kClientHeight, kClientWidth, ProgressPanel::kHeight);
}

void TProcessViewer::ShowProcessWindow() {
  Progress->Reset();
  show();
  raise();
}

void TProcessViewer::ShowTile(const Raster32& tile) {
  if (tile.Width() != image_.Width() || tile.Height() != image_.Height()) {
    image_.Allocate(tile.Width(), tile.Height());
  }
  // Rendered tiles leave alpha 0 where nothing was drawn; shown opaque, as black.
  const std::uint32_t* from = tile.Pixels();
  std::uint32_t* to = image_.Pixels();
  std::transform(from, from + tile.PixelCount(), to, [](std::uint32_t p) { return p | kOpaque; });
  ProcessImage->update();
}

void TProcessViewer::HideProcessWindow() {
  hide();
}

}  // namespace cz
