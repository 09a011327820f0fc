#pragma once
// The one QApplication of the app tests, shared by every test file. It is never destroyed:
// QTest's pointing device outlives a static application at exit and would crash its teardown.

#include <QApplication>

namespace cz::testing {

inline void EnsureQtApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

}  // namespace cz::testing
