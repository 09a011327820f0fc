#pragma once
// A fixed-size picture at scale 1, drawn from its top-left corner: the viewer's map view and
// the import window's world map and cell frame. Pixels outside the picture are left to the
// parent's background. A press of the left mouse button reports the picture pixel under it.

#include <QImage>
#include <QWidget>

#include <functional>

namespace cz {

class ImageView : public QWidget {
  Q_OBJECT
 public:
  explicit ImageView(QWidget* parent = nullptr);

  // The picture shown; the view keeps a shallow copy, so a QImage wrapping memory the caller
  // owns shows that memory as it changes (call update() to repaint).
  void SetImage(const QImage& image);
  const QImage& Image() const { return image_; }

  // Called with the picture pixel of each left-button press.
  std::function<void(int x, int y)> MouseDown;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QImage image_;
};

}  // namespace cz
