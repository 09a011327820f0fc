#pragma once
// The two flows that make a chart the current map source and load it: the menu entry "Load a
// source map for geo-referencing or processing" and the project batch's BatchLoad. Both read
// the source's settings file before the image, so that the grid drawn during the load uses
// the source's own georeference, and both report a failed load with LoadFailureMessage.
// Errors of the settings layer ("Unable to write to ...") are not caught here.

#include <functional>
#include <optional>
#include <string>

namespace cz {

struct AppState;
struct MapSourceState;
class SourceView;
class UserInterface;

// Filter of the source-image dialog.
inline constexpr const char* kSourceImageFilter =
    "Image files (*.TIF; *.TIFF; *.JPG; *.JPEG; *.BMP)|*.TIF; *.TIFF; *.jpg; *.jpeg; *.BMP";

// The source-image dialog: shown with an initial folder and the filter, it returns the chosen
// file's full path, or nothing when cancelled.
using ChooseSourceImage = std::function<std::optional<std::string>(const std::string& initialFolder,
                                                                   const std::string& filter)>;

// The menu entry. Refused while a long operation runs (BusyState.h), checked again after the
// dialog, whose event loop may have started one. Without an open project it shows "Please
// create a new project or open an existing project first" and asks nothing. Otherwise it asks for a
// file in the project's map-source folder; then it saves the settings of the source loaded so far,
// makes the chosen file the current source, adds it to the project's map-file list, shows "Loading
// " + name +
// ", please wait...", reads its settings and loads it. A failed load shows LoadFailureMessage.
// A chart loaded for the first time (no settings file yet) that carries its own georeference
// is offered to use it (OfferChartGeoReference).
void LoadSourceMap(AppState& state, UserInterface& ui, SourceView& view,
                   const ChooseSourceImage& chooseFile);

// One source of the project batch: path becomes the current source, its settings are read and
// the image loaded. On failure it shows LoadFailureMessage, then "Batch canceled due to
// error", and sets batchCanceled (which it never clears).
void BatchLoad(const std::string& path, MapSourceState& source, UserInterface& ui, SourceView& view,
               bool& batchCanceled);

}  // namespace cz
