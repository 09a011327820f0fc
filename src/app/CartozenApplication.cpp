#include "CartozenApplication.h"

#include <cstdio>

namespace cz {

bool CartozenApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    if (errorHandler_) {
      errorHandler_(error);
    } else {
      std::fprintf(stderr, "%s\n", error.what());
    }
  }
  return false;
}

}  // namespace cz
