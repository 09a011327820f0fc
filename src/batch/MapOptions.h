#pragma once
// The Map Options dialog's logic ("Project" > "Map processing Options", window "Map Options"):
// the processing options of the current source in memory (GeoReference's MapResolution,
// GeoReferencingType, ColorReduction and Dithering), and their distribution to the settings
// files of every source of the project.
//
// The dialog keeps one MapOptions bound to the current source's GeoReference for the life of
// the application. Its control events call the *Clicked functions; while Fill sets the
// controls from the options, the guard is set and those events change nothing, so that
// filling the controls (which raises their events) leaves the options as they were.
//
// Changes act on the options in memory only; they reach the source's settings file at its
// next SaveMapINI. With no source loaded the values are still edited.
//
// Distribute writes one key ([Options] MapResolution, ColorReduction or Dithering) into the
// settings file of each listed source that has one, leaving every other line of those files as
// it was; sources without a settings file are passed over and no file is created. A file that
// cannot be read throws CartozenError("Unable to open file '" + name + "'"), one that cannot be
// written CartozenError("Unable to write to " + file name); either ends the distribution there.
// Without an open project it shows "No project has been opened." and changes no file.

#include <array>
#include <functional>

#include "geo/GeoReference.h"
#include "geo/TileGrid.h"
#include "port/UserInterface.h"
#include "project/Project.h"

namespace cz {

// The controls' texts, item index = option value.
inline constexpr std::array<const char*, kTileLevelCount> kResolutionCheckBoxTexts = {
    "0.25 degrees per tile (highest file size needs)", "0.5 degrees per tile", "1 degree per tile",
    "2 degrees per tile", "4 degrees per tile (lowest file size needs)"};
inline constexpr std::array<const char*, 2> kGeoReferencingItems = {
    "Semi-automatic, Lambert Conical", "Any, manual grid coordinates"};
inline constexpr std::array<const char*, 5> kColorReductionItems = {
    "256 color palette (highest file size needs)", "128 color palette",
    "64 color pallete (recommended)", "32 color pallete",
    "16 color pallete (lowest file size needs)"};
inline constexpr std::array<const char*, 7> kDitheringItems = {
    "No dithering (recommended)", "Floyd Steinberg", "Stucki", "Sierra",
    "Jarvis,Judice and Nike",     "Steve Arche",     "Burkes"};

// The three options a "DX" button distributes.
enum class DistributedOption { MapResolution, ColorReduction, Dithering };

// The question each "DX" button asks first, and the settings key it writes.
const char* DistributeQuestion(DistributedOption option);
const char* DistributedKey(DistributedOption option);

// What the controls show: Resolution[k] is the check box of TileLevel k.
struct MapOptionsControls {
  std::array<bool, kTileLevelCount> Resolution{};
  int GeoReferencingType = 0;
  int ColorReduction = 0;
  int Dithering = 0;
};

class MapOptions {
 public:
  explicit MapOptions(GeoReference& options) : options_(options) {}

  // On showing: sets the guard, hands the controls' values to setControls (which sets the
  // widgets, raising their events), clears the guard, also when setControls throws.
  void Fill(const std::function<void(const MapOptionsControls&)>& setControls);
  bool Filling() const { return filling_; }

  // A click on the check box of level: flips its bit of MapResolution.
  void ResolutionClicked(TileLevel level);
  // A click in a radio group: the option becomes the item's index. An index outside the
  // group's items (-1 is no item) changes nothing. GeoReferencingClicked returns true when it
  // set the method, so that the main window shows that method's controls and redraws the grid.
  bool GeoReferencingClicked(int itemIndex);
  void ColorReductionClicked(int itemIndex);
  void DitheringClicked(int itemIndex);

  // A "DX" button: asks DistributeQuestion(option); on Yes writes the current value into the
  // settings file of every listed source that has one. An empty list shows
  // "No files in project". Returns how many files were written. (The command that calls it
  // refuses while a long operation runs, since a running batch reads those files.)
  int Distribute(DistributedOption option, const ProjectState& project, UserInterface& ui) const;

 private:
  GeoReference& options_;
  bool filling_ = false;
};

}  // namespace cz
