#pragma once
// The application object with the general error handler: an error that a handler lets escape
// into the event loop is caught here and handed to the handler set with SetErrorHandler
// (the main window's, which shows its text in a message box) instead of ending the process.

#include <QApplication>

#include <exception>
#include <functional>

namespace cz {

class CartozenApplication : public QApplication {
 public:
  CartozenApplication(int& argc, char** argv) : QApplication(argc, argv) {}

  void SetErrorHandler(std::function<void(const std::exception&)> handler) {
    errorHandler_ = std::move(handler);
  }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  std::function<void(const std::exception&)> errorHandler_;
};

}  // namespace cz
