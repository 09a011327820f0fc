#include "TProjectViewerForm.h"

#include "QtUserInterface.h"

#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>

namespace cz {

TProjectViewerForm::TProjectViewerForm(AppState& state, UserInterface& ui, QWidget* parent)
    : QDialog(parent), state_(state), ui_(ui) {
  setWindowTitle(QStringLiteral("Project Viewer/Editor"));
  ListBox1 = new QListWidget(this);
  // Long paths scroll sideways instead of being cut.
  ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  ListBox1->setMinimumSize(520, 260);
  Button1 = new QPushButton(QStringLiteral("Delete"), this);
  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  auto* layout = new QGridLayout(this);
  layout->addWidget(ListBox1, 0, 0, 1, 3);
  layout->addWidget(Button1, 1, 0);
  layout->setColumnStretch(1, 1);
  layout->addWidget(BitBtn1, 1, 2);
  connect(Button1, &QPushButton::clicked, this, &TProjectViewerForm::Button1Click);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TProjectViewerForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  viewer_.Show(state_.Project, ui_);
  ShowEntries();
}

void TProjectViewerForm::Button1Click() {
  const int selected = ListBox1->selectedItems().isEmpty() ? -1 : ListBox1->currentRow();
  try {
    viewer_.DeleteSelected(state_.Project, selected, ui_);
  } catch (const std::exception& error) {
    ui_.ReportError(error);
  }
  ShowEntries();
}

void TProjectViewerForm::ShowEntries() {
  ListBox1->clear();
  for (const std::string& entry : viewer_.Entries()) {
    ListBox1->addItem(QString::fromStdString(entry));
  }
}

}  // namespace cz
