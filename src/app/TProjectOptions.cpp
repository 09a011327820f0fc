#include "TProjectOptions.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "QtUserInterface.h"
#include "workspace/GeoReferenceEdits.h"
#include "workspace/ProjectCommands.h"

namespace cz {

namespace {

QLabel* Note(const char* text, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setWordWrap(true);
  return label;
}

// A titled group of radio buttons, item index = button id.
template <std::size_t N>
QGroupBox* RadioGroup(const char* title, const std::array<const char*, N>& items,
                      QButtonGroup*& buttons, QWidget* parent) {
  auto* group = new QGroupBox(QString::fromUtf8(title), parent);
  auto* layout = new QVBoxLayout(group);
  buttons = new QButtonGroup(group);
  for (std::size_t i = 0; i < N; ++i) {
    auto* button = new QRadioButton(QString::fromUtf8(items[i]), group);
    buttons->addButton(button, static_cast<int>(i));
    layout->addWidget(button);
  }
  return group;
}

// Checks item index; a value no item has (an edited settings file) leaves none checked.
void Check(QButtonGroup* buttons, int index) {
  buttons->setExclusive(false);
  for (QAbstractButton* button : buttons->buttons())
    button->setChecked(buttons->id(button) == index);
  buttons->setExclusive(true);
}

}  // namespace

TProjectOptions::TProjectOptions(AppState& state, UserInterface& ui, QWidget* parent)
    : QDialog(parent), state_(state), ui_(ui), options_(state.Source.GeoRef) {
  setWindowTitle(QStringLiteral("Map Options"));
  auto* layout = new QGridLayout(this);
  int row = 0;
  layout->addWidget(Note("Select Geo referencing method most suitable for the map. If an accurate "
                         "Lambert Conical map is present you can use the semi-automatic method, "
                         "otherwise it is best to reference degree tile intersections.",
                         this),
                    row++, 0, 1, 2);
  RadioGroup1 =
      RadioGroup("Georeferencing method", kGeoReferencingItems, GeoReferencingItems, this);
  layout->addWidget(RadioGroup1, row++, 0, 1, 2);
  layout->addWidget(Note("When creating tiles from georeferenced source map", this), row++, 0);
  layout->addWidget(Note("create tiles in following resolution(s) - select 1 or more", this), row++,
                    0);

  // The coarsest resolution first, as the person reads them.
  auto* resolutions = new QVBoxLayout;
  for (int level = kTileLevelCount - 1; level >= 0; --level) {
    auto* box = new QCheckBox(QString::fromUtf8(kResolutionCheckBoxTexts[level]), this);
    CheckBoxes[level] = box;
    resolutions->addWidget(box);
    connect(box, &QCheckBox::clicked, this, [this, level] {
      if (!options_.Filling()) options_.ResolutionClicked(static_cast<TileLevel>(level));
    });
  }
  layout->addLayout(resolutions, row, 0);
  ResolutionDX = new QPushButton(QStringLiteral("DX"), this);
  layout->addWidget(ResolutionDX, row++, 1, Qt::AlignTop);
  layout->addWidget(Note("Use 0.25 degrees per tile for map sections like inserts or 1:250000 high "
                         "resolution map etc. See manual for details.",
                         this),
                    row++, 0, 1, 2);
  RadioGroup2 = RadioGroup("Color reduction when creating tiles", kColorReductionItems,
                           ColorReductionItems, this);
  layout->addWidget(RadioGroup2, row, 0);
  ColorReductionDX = new QPushButton(QStringLiteral("DX"), this);
  layout->addWidget(ColorReductionDX, row++, 1, Qt::AlignTop);
  RadioGroup3 = RadioGroup("Dithering options", kDitheringItems, DitheringItems, this);
  layout->addWidget(RadioGroup3, row, 0);
  DitheringDX = new QPushButton(QStringLiteral("DX"), this);
  layout->addWidget(DitheringDX, row++, 1, Qt::AlignTop);
  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  layout->addWidget(BitBtn1, row++, 0, 1, 2, Qt::AlignRight);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(GeoReferencingItems, &QButtonGroup::idClicked, this,
          [this](int index) { ChooseGeoReferencingMethod(state_, options_, index, ui_); });
  connect(ColorReductionItems, &QButtonGroup::idClicked, this,
          [this](int index) { options_.ColorReductionClicked(index); });
  connect(DitheringItems, &QButtonGroup::idClicked, this,
          [this](int index) { options_.DitheringClicked(index); });
  connect(ResolutionDX, &QPushButton::clicked, this,
          [this] { Distribute(DistributedOption::MapResolution); });
  connect(ColorReductionDX, &QPushButton::clicked, this,
          [this] { Distribute(DistributedOption::ColorReduction); });
  connect(DitheringDX, &QPushButton::clicked, this,
          [this] { Distribute(DistributedOption::Dithering); });
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TProjectOptions::showEvent(QShowEvent* event) {
  options_.Fill([this](const MapOptionsControls& controls) {
    for (int level = 0; level < kTileLevelCount; ++level) {
      CheckBoxes[level]->setChecked(controls.Resolution[level]);
    }
    Check(GeoReferencingItems, controls.GeoReferencingType);
    Check(ColorReductionItems, controls.ColorReduction);
    Check(DitheringItems, controls.Dithering);
  });
  QDialog::showEvent(event);
}

void TProjectOptions::Distribute(DistributedOption option) {
  try {
    DistributeMapOption(state_, options_, option, ui_);
  } catch (const std::exception& error) {
    ui_.ReportError(error);
  }
}

}  // namespace cz
