#include "QtMessageFilter.h"

#include <QtGlobal>

#include <atomic>
#include <cstdlib>
#include <string_view>

namespace cz {

namespace {

std::atomic<bool> quiet{false};
bool debugging = false;
QtMessageHandler next = nullptr;

bool EnvironmentFlag(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

void Filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const bool remark = type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg;
  if (remark && quiet && !debugging) return;
  if (next) next(type, context, message);
}

}  // namespace

void InstallQtMessageFilter(bool startQuiet) {
  debugging = EnvironmentFlag("QT_DEBUG_PLUGINS") || EnvironmentFlag("CARTOZEN_DEBUG");
  quiet = startQuiet;
  // Kept messages go on to whatever handled them before (Qt's own printing, by default).
  next = qInstallMessageHandler(Filter);
  if (next == Filter) next = nullptr;
}

void SetQtMessagesQuiet(bool isQuiet) {
  quiet = isQuiet;
}

bool DisplaylessPlatformRequested() {
  const std::string_view platform = [] {
    const char* value = std::getenv("QT_QPA_PLATFORM");
    return std::string_view(value ? value : "");
  }();
  const std::string_view name = platform.substr(0, platform.find(':'));
  return name == "offscreen" || name == "minimal";
}

}  // namespace cz
