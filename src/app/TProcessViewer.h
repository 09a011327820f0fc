#pragma once
// "Transformation process Viewer": 616 × 617 client pixels with one image view, ProcessImage,
// of 600 × 600 pixels that shows each tile as tile creation finishes it (scale 1, nearest
// neighbour, from the top-left corner). Created once, hidden; tile creation shows it, hands
// it every finished tile and hides it at the end (through the user-interface port).
//
// The window keeps its own copy of the last tile: the tile creation's raster lives only as
// long as its run, and the window must still repaint after the run (and after a failed run,
// which leaves it visible). That one copy per tile, made opaque on the way, is all: painting
// wraps the copy's memory in a QImage and draws only the exposed part of it.
//
// Below the image, a progress bar and "Cancel" (ProgressPanel) follow the tile creation, the
// import and the batch; "Cancel" calls what the owner set with OnCancel.

#include <QWidget>

#include <functional>

#include "ProgressPanel.h"
#include "imaging/Raster32.h"

namespace cz {

class TProcessViewer : public QWidget {
  Q_OBJECT
 public:
  explicit TProcessViewer(QWidget* mainWindow);

  void ShowProcessWindow();
  void ShowTile(const Raster32& tile);
  void HideProcessWindow();
  void ShowProgress(const ProgressReport& report) { Progress->Show(report); }
  void OnCancel(std::function<void()> cancel) { cancel_ = std::move(cancel); }

  // What ProcessImage shows: 600 × 600, all 0, until the first tile.
  const Raster32& Image() const { return image_; }

  QWidget* ProcessImage = nullptr;
  ProgressPanel* Progress = nullptr;

 private:
  Raster32 image_;
  std::function<void()> cancel_;
};

}  // namespace cz
