#include "QtUserInterface.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include "TProcessViewer.h"

namespace cz {

namespace {
const QString kApplicationTitle = QStringLiteral("VDK Avionics Cartozen 2");
}

QtUserInterface::QtUserInterface(QWidget* window, QLineEdit* statusLine, UserInterface* displayless)
    : window_(window),
      statusLine_(statusLine),
      refusalHold_(new QTimer(window)),
      displayless_(displayless) {
  refusalHold_->setSingleShot(true);
  refusalHold_->setInterval(kRefusalHoldMilliseconds);
  QObject::connect(refusalHold_, &QTimer::timeout, window, [this] {
    if (heldStatus_) statusLine_->setText(QString::fromStdString(*heldStatus_));
    heldStatus_.reset();
  });
}

void QtUserInterface::SetStatusText(const std::string& text) {
  if (refusalHold_->isActive()) {
    heldStatus_ = text;
    return;
  }
  statusLine_->setText(QString::fromStdString(text));
}

void QtUserInterface::ShowRefusal(const std::string& text) {
  statusLine_->setText(QString::fromStdString(text));
  heldStatus_.reset();
  refusalHold_->start();
}

void QtUserInterface::SetErrorReporter(std::function<void(const std::exception&)> reporter) {
  errorReporter_ = std::move(reporter);
}

void QtUserInterface::ReportError(const std::exception& error) {
  if (errorReporter_) return errorReporter_(error);
  ShowMessage(error.what());
}

void QtUserInterface::ShowMessage(const std::string& text) {
  if (displayless_) return displayless_->ShowMessage(text);
  QMessageBox::information(window_, kApplicationTitle, QString::fromStdString(text));
}

void QtUserInterface::ShowMessageWithCause(const std::string& text, const std::string& cause) {
  if (displayless_) return displayless_->ShowMessageWithCause(text, cause);
  QMessageBox box(QMessageBox::Information, kApplicationTitle, QString::fromStdString(text),
                  QMessageBox::Ok, window_);
  // The cause also goes to the status line, where it stays after the box is closed.
  if (!cause.empty()) {
    box.setDetailedText(QString::fromStdString(cause));
    SetStatusText(cause);
  }
  box.exec();
}

bool QtUserInterface::Confirm(const std::string& question) {
  if (displayless_) return displayless_->Confirm(question);
  return QMessageBox::question(window_, kApplicationTitle, QString::fromStdString(question),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::size_t> QtUserInterface::Choose(const std::string& question,
                                                   const std::vector<std::string>& options,
                                                   std::size_t initial) {
  if (displayless_) return displayless_->Choose(question, options, initial);
  QStringList items;
  for (const std::string& option : options) items << QString::fromStdString(option);
  bool ok = false;
  const QString chosen =
      QInputDialog::getItem(window_, kApplicationTitle, QString::fromStdString(question), items,
                            static_cast<int>(initial), false, &ok);
  if (!ok) return std::nullopt;
  const auto index = items.indexOf(chosen);
  if (index < 0) return std::nullopt;
  return static_cast<std::size_t>(index);
}

void QtUserInterface::AddLogLine(MessageLog log, const std::string& line) {
  const auto sink = logSinks_.find(log);
  if (sink != logSinks_.end() && sink->second) {
    sink->second(line);
  } else if (displayless_) {
    displayless_->AddLogLine(log, line);
  }
}

void QtUserInterface::ShowProgress(const ProgressReport& report) {
  if (displayless_) return displayless_->ShowProgress(report);
  const auto sink = progressSinks_.find(report.Task);
  if (sink != progressSinks_.end() && sink->second) {
    sink->second(report);
  } else if (processViewer_) {
    processViewer_->ShowProgress(report);
  }
}

bool QtUserInterface::CancelRequested() {
  return cancelRequested_ || (displayless_ && displayless_->CancelRequested());
}

void QtUserInterface::SetProcessViewer(TProcessViewer* viewer) {
  processViewer_ = viewer;
  if (viewer) viewer->OnCancel([this] { RequestCancel(); });
}

void QtUserInterface::SetProgressSink(ProgressTask task,
                                      std::function<void(const ProgressReport&)> sink) {
  progressSinks_[task] = std::move(sink);
}

void QtUserInterface::ClearLog(MessageLog log) {
  const auto clear = logClears_.find(log);
  if (clear != logClears_.end() && clear->second) clear->second();
}

void QtUserInterface::ProcessEvents() {
  QCoreApplication::processEvents();
}

void QtUserInterface::ImportMosaicStarted() {
  if (importMosaicHandler_) importMosaicHandler_(false);
}

void QtUserInterface::ImportMosaicReady() {
  if (importMosaicHandler_) importMosaicHandler_(true);
}

void QtUserInterface::SetImportMosaicHandler(std::function<void(bool ready)> handler) {
  importMosaicHandler_ = std::move(handler);
}

void QtUserInterface::BeginTileJob() {
  cancelRequested_ = false;  // a new tile creation; a click for an earlier job is spent
  if (processViewer_) processViewer_->ShowProcessWindow();
}

void QtUserInterface::ShowTileMade(const Raster32& tile) {
  if (processViewer_) processViewer_->ShowTile(tile);
}

void QtUserInterface::EndTileJob() {
  if (processViewer_) processViewer_->HideProcessWindow();
}

void QtUserInterface::SetLogSink(MessageLog log, std::function<void(const std::string&)> sink) {
  logSinks_[log] = std::move(sink);
}

void QtUserInterface::SetLogClear(MessageLog log, std::function<void()> clear) {
  logClears_[log] = std::move(clear);
}

}  // namespace cz
