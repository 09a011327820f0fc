#pragma once
// The one QApplication of the window tests (offscreen platform, set by the test runner).

#include <QApplication>

namespace cz::testing {

inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  static QApplication application(argc, argv);
  return application;
}

}  // namespace cz::testing
