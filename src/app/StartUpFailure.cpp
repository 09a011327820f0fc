#include "StartUpFailure.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "port/ErrorLog.h"

namespace cz {
namespace {

QtMessageHandler previousHandler = nullptr;

void HandleStartUpMessage(QtMsgType type, const QMessageLogContext& context,
                          const QString& message) {
  if (type != QtFatalMsg) {
    if (previousHandler) {
      previousHandler(type, context, message);
    } else {
      std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
    return;
  }
  // One line: Error.txt holds one message per line.
  const std::string text = "Unable to start: " + message.simplified().toStdString();
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  LogError(text);
  std::_Exit(1);
}

}  // namespace

StartUpFailureGuard::StartUpFailureGuard() {
  previousHandler = qInstallMessageHandler(HandleStartUpMessage);
}

void StartUpFailureGuard::Release() {
  if (!active_) return;
  active_ = false;
  qInstallMessageHandler(previousHandler);
}

}  // namespace cz
