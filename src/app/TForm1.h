#pragma once
// The main window.

#include <QMainWindow>

namespace cz {

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* parent = nullptr);
};

}  // namespace cz
