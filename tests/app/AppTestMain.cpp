// main() of the app tests: one QApplication for the whole run, destroyed before exit. The
// windows are driven offscreen unless QT_QPA_PLATFORM says otherwise (test discovery runs this
// binary without ctest's environment).
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
