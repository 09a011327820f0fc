#include "imaging/SourceImage.h"

#include <exception>

#include "imaging/ChartReaders.h"
#include "imaging/SourceView.h"
#include "platform/ObtainableMemory.h"
#include "platform/Paths.h"
#include "state/AppState.h"
#include "state/UserInterface.h"

namespace cz {
namespace {

using ChartReader = void (*)(const std::string&, Raster32&, std::uint64_t&, std::uint64_t);

ChartReader ReaderFor(const std::string& path) {
  const std::string ext = UpperCase(ExtractFileExt(path));
  if (ext == ".JPG" || ext == ".JPEG") return ReadJpegChart;
  if (ext == ".BMP") return ReadBmpChart;
  if (ext == ".TIF" || ext == ".TIFF") return ReadTiffChart;
  return nullptr;
}

}  // namespace

void VisualizeFileInImage(MapSourceState& source, UserInterface& ui, SourceView& view) {
  source.Loaded = false;
  view.ResetForLoad();
  source.Image.Release();
  // Each load quotes its own file's size; a count left over from an earlier file would
  // mislead.
  source.RequiredBytes = 0;
  source.LoadFailureCause.clear();

  const ChartReader reader = ReaderFor(source.Path);
  if (reader == nullptr) {
    ui.ShowMessage("Cannot load this file type");
    return;
  }
  try {
    // A header asking for more than the machine can back fails here, before anything is
    // allocated: with overcommit the allocation itself could succeed and the process be
    // killed while filling it.
    reader(source.Path, source.Image, source.RequiredBytes, ObtainableMemoryBytes());
    view.ShowLoadedImage();
    view.DrawGridFromGeoRef(source.GeoRef, ui);
    source.Loaded = true;
    view.EnableGeoReferenceControls();
  } catch (const std::exception& error) {
    // The caller reports the failure with LoadFailureMessage and this cause beside it.
    source.Image.Release();
    source.Loaded = false;
    source.LoadFailureCause = error.what();
  }
  if (source.Loaded) ui.SetStatusText("Loaded " + ExtractFileName(source.Path));
}

std::string LoadFailureCauseText(const MapSourceState& source) {
  if (source.LoadFailureCause.empty()) return {};
  return "Cannot load " + ExtractFileName(source.Path) + ": " + source.LoadFailureCause;
}

std::string LoadFailureMessage(std::uint64_t requiredBytes) {
  return "The map image failed to load. The operating system is not providing suffient linear "
         "memory to contain the image in full. The image requires " +
         std::to_string(requiredBytes) +
         " bytes. Try reducing the image resolution or cut the image into two parts using a "
         "suitable image editor.";
}

}  // namespace cz
