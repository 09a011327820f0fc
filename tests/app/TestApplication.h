#pragma once
// The one QApplication of the app tests. It is created by the tests' own main() (AppTestMain.cpp)
// and lives on its stack, so it is destroyed before Qt's global objects are: a QApplication held
// in a function-local static outlives them and crashes the process at exit.
#include <QApplication>

namespace cz::testing {

inline QApplication& TestApplication() {
  return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

}  // namespace cz::testing
