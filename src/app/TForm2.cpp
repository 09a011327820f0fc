#include "TForm2.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

#include "QtUserInterface.h"
#include "ImageView.h"
#include "importer/CellPicker.h"
#include "port/ForwardingUserInterface.h"
#include "workspace/ImportCommands.h"
#include "workspace/ProjectBatch.h"

// The world map is compiled into the application library; a static library's resources must
// be registered by name, outside any namespace.
static void InitWorldMapResource() {
  Q_INIT_RESOURCE(WorldMap);
}

namespace cz {

// The import's view of the port: the main window's, with the PNG being read shown in Edit3.
class TForm2::Port : public ForwardingUserInterface {
 public:
  Port(UserInterface& ui, QLineEdit& edit3) : ForwardingUserInterface(ui), edit3_(edit3) {}
  void ShowImportReading(const std::string& path) override {
    edit3_.setText(QString::fromStdString(path));
    Inner().ShowImportReading(path);
  }
  // The import's own Cancel counts for the whole run: each mosaic's tile creation starts
  // afresh on the port below, which must not forget it.
  bool CancelRequested() override { return Cancelled || Inner().CancelRequested(); }
  bool Cancelled = false;

 private:
  QLineEdit& edit3_;
};

namespace {

constexpr char kWorldMapResource[] = ":/worldmap/WorldMap.png";

// The world map with the white cell grid drawn on it.
QImage WorldMapWithGrid() {
  QImage map = QImage(QString::fromLatin1(kWorldMapResource)).convertToFormat(QImage::Format_RGB32);
  if (map.isNull()) {
    // Not expected (the picture is compiled in); a grey map keeps the picker usable.
    map = QImage(kWorldMapWidth, kWorldMapHeight, QImage::Format_RGB32);
    map.fill(Qt::gray);
  }
  QPainter painter(&map);
  painter.setPen(QPen(Qt::white, 1));
  for (const MapLine& line : WorldMapGridLines()) {
    painter.drawLine(line.X1, line.Y1, line.X2, line.Y2);
  }
  return map;
}

// The overlay: transparent but for the yellow frame round the chosen cell.
QImage CellFrame(const FrameRect& frame) {
  QImage overlay(kWorldMapWidth, kWorldMapHeight, QImage::Format_ARGB32_Premultiplied);
  overlay.fill(Qt::transparent);
  QPainter painter(&overlay);
  painter.setPen(QPen(Qt::yellow, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.setBrush(Qt::NoBrush);
  // The cells at the map's edges (180° on both sides, the poles) keep the whole 3-pixel line
  // of their outer sides inside the picture, so W180 and E172 are framed like any other.
  const int left = std::max(frame.Left, 1), top = std::max(frame.Top, 1);
  const int right = std::min(frame.Right, kWorldMapWidth - 2);
  const int bottom = std::min(frame.Bottom, kWorldMapHeight - 2);
  painter.drawRect(QRect(QPoint(left, top), QPoint(right, bottom)));
  return overlay;
}

QLineEdit* ReadOnlyEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setReadOnly(true);
  return edit;
}

}  // namespace

TForm2::TForm2(ImportState& import, AppState& app, UserInterface& ui,
               std::function<void()> processSourceMap, QWidget* parent)
    : QDialog(parent),
      import_(import),
      app_(app),
      ui_(ui),
      processSourceMap_(std::move(processSourceMap)) {
  InitWorldMapResource();
  if (!processSourceMap_) processSourceMap_ = [this] { ProcessSourceMap(app_, ui_); };
  ChooseFolder = [this](const QString& initialFolder) -> std::optional<QString> {
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Select source folder containing tiles"), initialFolder,
        QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) return std::nullopt;
    return folder;
  };

  setWindowTitle(QStringLiteral("Import EPSG3857 tiles"));

  Image1 = new ImageView(this);
  Image1->setGeometry(8, 8, kWorldMapWidth, kWorldMapHeight);
  Image1->MouseDown = [this](int x, int y) { Image1MouseDown(x, y); };
  Image2 = new ImageView(this);
  Image2->setGeometry(Image1->geometry());
  Image2->MouseDown = Image1->MouseDown;  // the frame lies over the map: its clicks pick too

  Label1 = new QLabel(QStringLiteral("Selected VDK Map tile to create"), this);
  Label1->setGeometry(664, 8, 320, 20);
  Label3 = new QLabel(QStringLiteral("(Top left corner coordinates)"), this);
  Label3->setGeometry(664, 28, 320, 20);
  Edit1 = ReadOnlyEdit(this);
  Edit1->setGeometry(664, 52, 120, 26);
  Button1 = new QPushButton(QStringLiteral("Select source folder containing tiles"), this);
  Button1->setGeometry(664, 100, 320, 30);
  connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);

  Label2 = new QLabel(
      QStringLiteral(
          "Selected top level folder (above zoom level folders) containing source tiles"),
      this);
  Edit2 = ReadOnlyEdit(this);

  for (int k = 0; k < kEfisZoomCount; ++k) {
    auto* group = new QGroupBox(QString::fromUtf8(kEfisZoomCaptions[k]), this);
    auto* items = new QVBoxLayout(group);
    items->setContentsMargins(8, 2, 8, 2);
    items->setSpacing(0);
    auto* buttons = new QButtonGroup(this);
    for (int item = 0; item < static_cast<int>(kWebZoomItems.size()); ++item) {
      auto* button = new QRadioButton(QString::fromUtf8(kWebZoomItems[item]), group);
      buttons->addButton(button, item);
      items->addWidget(button);
    }
    connect(buttons, &QButtonGroup::idClicked, this,
            [this, k](int id) { import_.ZoomChoices[k] = static_cast<std::uint8_t>(id); });
    RadioGroups[k] = group;
    RadioGroupItems[k] = buttons;
  }

  CheckBox1 = new QCheckBox(QString::fromUtf8(kImportTransparencyCaption), this);
  CheckBox1->setToolTip(
      QStringLiteral("Transparent pixels and missing web tiles leave the tiles as earlier "
                     "charts made them, instead of painting them black"));
  connect(CheckBox1, &QCheckBox::toggled, this,
          [this](bool checked) { import_.CoverageFromTransparency = checked; });

  Button2 = new QPushButton(QStringLiteral("Process"), this);
  connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
  Button3 = new QPushButton(QStringLiteral("Cancel"), this);
  Button3->setEnabled(false);
  Button3->setToolTip(QStringLiteral("Stops the import after the tile being made"));
  connect(Button3, &QPushButton::clicked, this, &TForm2::Button3Click);
  Edit3 = ReadOnlyEdit(this);
  PlaceLowerControls();

  port_ = std::make_unique<Port>(ui_, *Edit3);
  FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::PlaceLowerControls() {
  // The five groups side by side, each as wide as the widest needs for its item texts in the
  // font in use; the window grows with them.
  QSize group(0, 140);
  for (const QGroupBox* box : RadioGroups) group = group.expandedTo(box->sizeHint());
  const int width = std::max(1000, 8 + kEfisZoomCount * (group.width() + 8));
  Label2->setGeometry(8, 340, width - 16, 20);
  Edit2->setGeometry(8, 362, width - 16, 26);
  for (int k = 0; k < kEfisZoomCount; ++k) {
    RadioGroups[k]->setGeometry(8 + k * (group.width() + 8), 400, group.width(), group.height());
  }
  CheckBox1->setGeometry(8, 400 + group.height() + 8, CheckBox1->sizeHint().width(), 24);
  const int bottom = 400 + group.height() + 40;
  Button2->setGeometry(8, bottom, 100, 30);
  Button3->setGeometry(116, bottom, 100, 30);
  Edit3->setGeometry(224, bottom + 2, width - 232, 26);
  setFixedSize(width, bottom + 44);
}

void TForm2::FormCreate() {
  Image1->SetImage(WorldMapWithGrid());
  SetImportSourceFolder(import_, app_.Project, app_.Project.Epsg3857SourceFolder);
  import_.CellChosen = false;
  ShowChoices();
}

void TForm2::ShowChoices() {
  Edit2->setText(QString::fromStdString(app_.Project.Epsg3857SourceFolder));
  for (int k = 0; k < kEfisZoomCount; ++k) {
    QButtonGroup& buttons = *RadioGroupItems[k];
    // A choice outside 0..4 (possible from the command line) shows no item checked.
    buttons.setExclusive(false);
    for (QAbstractButton* button : buttons.buttons()) {
      button->setChecked(buttons.id(button) == import_.ZoomChoices[k]);
    }
    buttons.setExclusive(true);
  }
  CheckBox1->setChecked(import_.CoverageFromTransparency);
}

void TForm2::showEvent(QShowEvent* event) {
  ShowChoices();
  QDialog::showEvent(event);
}

void TForm2::Image1MouseDown(int x, int y) {
  const PickedCell cell = ChooseCellAt(import_, x, y);
  Edit1->setText(QString::fromStdString(cell.Name));
  Image2->SetImage(CellFrame(cell.Frame));
}

void TForm2::Button1Click() {
  const std::optional<QString> folder =
      ChooseFolder(QString::fromStdString(app_.Project.Epsg3857SourceFolder));
  if (!folder) return;
  SetImportSourceFolder(import_, app_.Project, folder->toStdString());
  Edit2->setText(*folder);
}

void TForm2::Button2Click() {
  // The run lets events run after every PNG and tile; "Process" stays disabled meanwhile, and
  // the core refuses any other long command started then (BusyState.h).
  Button2->setEnabled(false);
  // The window is modal, so the process window's Cancel cannot be reached: this one asks the
  // same port to stop, for the whole run (every mosaic's tiles and decoding check it).
  port_->Cancelled = false;
  Button3->setEnabled(true);
  running_ = true;
  ImportContext context{import_, app_, *port_, processSourceMap_};
  try {
    ProcessImport(context);
  } catch (const std::exception& error) {
    // Writing tiles or the chart's settings file failed, or the person cancelled (a status
    // line then); the main window stays usable.
    ui_.ReportError(error);
  }
  running_ = false;
  Button3->setEnabled(false);
  Button2->setEnabled(true);
}

void TForm2::Button3Click() {
  port_->Cancelled = true;
  Button3->setEnabled(false);
}

void TForm2::reject() {
  // Closing while the import runs would leave it running unseen: it asks the run to stop, and
  // the window closes when the person closes it again after the run.
  if (running_) return Button3Click();
  QDialog::reject();
}

}  // namespace cz
