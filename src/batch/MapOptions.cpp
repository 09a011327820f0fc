#include "batch/MapOptions.h"

#include <string>
#include <vector>

#include "batch/ProjectMessages.h"
#include "platform/FileSystem.h"
#include "project/IniFile.h"
#include "project/MapSourceSettings.h"
#include "project/Project.h"

namespace cz {

namespace {

constexpr char kOptionsSection[] = "Options";

// index as an option value when it names one of count items.
bool ItemIndex(int index, std::size_t count, std::uint8_t& value) {
  if (index < 0 || static_cast<std::size_t>(index) >= count) return false;
  value = static_cast<std::uint8_t>(index);
  return true;
}

}  // namespace

const char* DistributeQuestion(DistributedOption option) {
  switch (option) {
    case DistributedOption::MapResolution:
      return "Distribute resolutions to all maps options in project ?";
    case DistributedOption::ColorReduction:
      return "Distribute color reduction to all maps options in project ?";
    case DistributedOption::Dithering:
      return "Distribute dithering to all maps options in project ?";
  }
  return "";
}

const char* DistributedKey(DistributedOption option) {
  switch (option) {
    case DistributedOption::MapResolution:
      return "MapResolution";
    case DistributedOption::ColorReduction:
      return "ColorReduction";
    case DistributedOption::Dithering:
      return "Dithering";
  }
  return "";
}

void MapOptions::Fill(const std::function<void(const MapOptionsControls&)>& setControls) {
  MapOptionsControls controls;
  for (int level = 0; level < kTileLevelCount; ++level) {
    controls.Resolution[level] = (options_.MapResolution >> level) & 1;
  }
  controls.GeoReferencingType = options_.GeoReferencingType;
  controls.ColorReduction = options_.ColorReduction;
  controls.Dithering = options_.Dithering;

  struct Guard {
    bool& flag;
    explicit Guard(bool& f) : flag(f) { flag = true; }
    ~Guard() { flag = false; }
  } guard(filling_);
  setControls(controls);
}

void MapOptions::ResolutionClicked(TileLevel level) {
  if (filling_ || level >= kTileLevelCount) return;
  options_.MapResolution ^= static_cast<std::uint8_t>(1u << level);
}

bool MapOptions::GeoReferencingClicked(int itemIndex) {
  return !filling_ &&
         ItemIndex(itemIndex, kGeoReferencingItems.size(), options_.GeoReferencingType);
}

void MapOptions::ColorReductionClicked(int itemIndex) {
  if (!filling_) ItemIndex(itemIndex, kColorReductionItems.size(), options_.ColorReduction);
}

void MapOptions::DitheringClicked(int itemIndex) {
  if (!filling_) ItemIndex(itemIndex, kDitheringItems.size(), options_.Dithering);
}

int MapOptions::Distribute(DistributedOption option, const ProjectState& project,
                           UserInterface& ui) const {
  // Checked before the question: there is nothing to distribute to.
  if (!project.Open) {
    ui.ShowMessage(kNoProjectOpenedText);
    return 0;
  }
  if (!ui.Confirm(DistributeQuestion(option))) return 0;
  const std::vector<std::string> entries = MapFileList(project);
  if (entries.empty()) {
    ui.ShowMessage(kNoFilesInProjectText);
    return 0;
  }
  std::uint8_t value = 0;
  switch (option) {
    case DistributedOption::MapResolution:
      value = options_.MapResolution;
      break;
    case DistributedOption::ColorReduction:
      value = options_.ColorReduction;
      break;
    case DistributedOption::Dithering:
      value = options_.Dithering;
      break;
  }
  int written = 0;
  for (const std::string& entry : entries) {
    const std::string settingsFile = MapSourceSettingsFile(entry);
    if (!FileExists(settingsFile)) continue;  // no file is created for such a source
    // The INI layer reads a file it cannot read as empty, and writing the key would then
    // replace the source's whole georeference with it: such a file stops the distribution
    // with "Unable to open file '...'" instead.
    ReadWholeFile(settingsFile);
    IniFile(settingsFile).WriteInteger(kOptionsSection, DistributedKey(option), value);
    ++written;
  }
  return written;
}

}  // namespace cz
