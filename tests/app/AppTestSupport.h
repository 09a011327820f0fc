#pragma once
// Shared pieces of the window tests: the one QApplication of the test program, a watcher that
// answers the message boxes a command opens (recording their texts), and menu commands chosen
// with real mouse clicks.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/TestApplication.h"

#include <string>
#include <vector>

namespace cz::testing {

inline QApplication& Application() {
  return TestApplication();
}

// While it lives, every message box that opens is read and answered by a click on its
// "Yes" button (answerYes) or its "No" / "OK" button.
class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(bool answerYes = true) : answerYes_(answerYes) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
    timer_.start();
  }
  std::vector<std::string> texts;

 private:
  void Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    texts.push_back(box->text().toStdString());
    QAbstractButton* button = box->button(answerYes_ ? QMessageBox::Yes : QMessageBox::No);
    if (button == nullptr) button = box->button(QMessageBox::Ok);
    if (button == nullptr) button = box->buttons().value(0);
    QTest::mouseClick(button, Qt::LeftButton);
  }
  bool answerYes_;
  QTimer timer_;
};

// Opens menu from the window's menu bar and clicks item, as a person would.
inline void ClickMenuItem(QMenuBar* bar, QMenu* menu, QAction* item) {
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
  if (!QTest::qWaitForWindowExposed(menu)) return;
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

}  // namespace cz::testing
