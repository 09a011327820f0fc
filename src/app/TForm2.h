#pragma once
// The import window "Import EPSG3857 tiles": an 8 × 8 degree map cell picked on the world map,
// the folder of a web-mercator tile tree, the web zoom that serves each EFIS level, and
// "Process", which runs the core's import (importer/ImportRun.h). The mosaics appear in the
// main window through the user-interface port (ImportMosaicStarted, ImportMosaicReady); the path of each PNG being
// read shows in Edit3.
//
// The window's choices live in an ImportState owned by the main window, so they survive
// between showings and are shared with the command line's /E; the folder is the project's
// EPSG3857 source folder, which the project file keeps between runs.

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

#include "importer/ImportState.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace cz {


class ImageView;

class TForm2 : public QDialog {
  Q_OBJECT
 public:
  // processSourceMap: the main window's "Process source map (create tiles)", run after each
  // mosaic; empty means the core command on app and ui.
  TForm2(ImportState& import, AppState& app, UserInterface& ui,
         std::function<void()> processSourceMap = {}, QWidget* parent = nullptr);
  ~TForm2() override;

  // Handlers.
  void Image1MouseDown(int x, int y);
  void Button1Click();
  void Button2Click();
  void Button3Click();  // "Cancel", usable while the import runs

  // The folder picker (folders only, must exist); returns nothing when cancelled. Replaceable
  // so that tests need no file dialog.
  std::function<std::optional<QString>(const QString& initialFolder)> ChooseFolder;

  ImageView* Image1 = nullptr;  // the world map with the cell grid
  ImageView* Image2 = nullptr;  // the chosen cell's frame; its clicks pick like Image1's
  QLabel* Label1 = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* Edit1 = nullptr;  // the chosen cell's name
  QPushButton* Button1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edit2 = nullptr;  // the source folder
  QGroupBox* RadioGroups[kEfisZoomCount] = {};
  QButtonGroup* RadioGroupItems[kEfisZoomCount] = {};  // ids 0..4: web zoom 7..11
  QCheckBox* CheckBox1 = nullptr;  // ImportState::CoverageFromTransparency
  QPushButton* Button2 = nullptr;  // "Process"
  QPushButton* Button3 = nullptr;  // "Cancel"
  QLineEdit* Edit3 = nullptr;  // the PNG being read

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  class Port;

  void FormCreate();
  void PlaceLowerControls();
  // Shows the import state's choices and folder (the command line may have set them).
  void ShowChoices();

  ImportState& import_;
  AppState& app_;
  UserInterface& ui_;
  std::function<void()> processSourceMap_;
  std::unique_ptr<Port> port_;
  bool running_ = false;
};

}  // namespace cz
