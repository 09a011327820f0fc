#include "TBatchForm.h"

#include <QGridLayout>
#include <QPlainTextEdit>
#include <QPushButton>

#include "QtUserInterface.h"
#include "workspace/ProjectBatch.h"

namespace cz {

TBatchForm::TBatchForm(AppState& state, QtUserInterface& ui, SourceView& view, QWidget* parent)
    : QDialog(parent), state_(state), ui_(ui), view_(view) {
  setWindowTitle(QStringLiteral("BatchForm"));
  Memo1 = new QPlainTextEdit(this);
  Memo1->setReadOnly(true);
  Memo1->setMinimumSize(420, 260);
  Button1 = new QPushButton(QStringLiteral("Run batch"), this);
  Button2 = new QPushButton(QStringLiteral("Cancel"), this);
  auto* layout = new QGridLayout(this);
  layout->addWidget(Memo1, 0, 0, 1, 3);
  layout->addWidget(Button1, 1, 0);
  layout->setColumnStretch(1, 1);
  layout->addWidget(Button2, 1, 2);
  connect(Button1, &QPushButton::clicked, this, &TBatchForm::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TBatchForm::Button2Click);
  ui_.SetLogSink(MessageLog::Batch, [this](const std::string& line) {
    Memo1->appendPlainText(QString::fromStdString(line));
  });
  ui_.SetLogClear(MessageLog::Batch, [this] { Memo1->clear(); });
}

void TBatchForm::showEvent(QShowEvent* event) {
  Memo1->clear();
  QDialog::showEvent(event);
}

void TBatchForm::Button1Click() {
  try {
    RunBatch(state_, ui_, view_);
  } catch (const std::exception& error) {
    // Tile creation's errors end the run where it stands, without the closing line.
    ui_.ReportError(error);
  }
}

void TBatchForm::Button2Click() {
  CancelBatch(state_);
}

}  // namespace cz
