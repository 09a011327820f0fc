#pragma once
// The one QApplication of the app tests, whichever test needs it first.
#include <QApplication>

namespace cz::testing {

inline QApplication& TestApplication() {
  if (auto* running = qobject_cast<QApplication*>(QCoreApplication::instance())) return *running;
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  static QApplication application(argc, argv);
  return application;
}

}  // namespace cz::testing
