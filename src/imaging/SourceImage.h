#pragma once
// Loading the current map source's image into its raster, and the message every flow shows
// when that fails.
//
// The decoder is chosen by the path's extension, without regard to case: ".TIF" and ".TIFF"
// (libtiff), ".JPG" and ".JPEG" (libjpeg-turbo), ".BMP" (our reader). See ChartReaders.h.

#include <cstdint>
#include <string>

namespace cz {

struct MapSourceState;
class SourceView;
class UserInterface;

// Loads source.Path into source.Image. Never throws for a bad file: afterwards source.Loaded
// says whether it worked, and a failed load leaves the raster empty (not the previous image).
// source.RequiredBytes is reset to 0 and then holds width × height × 4 as soon as the file's
// header has given the dimensions, for LoadFailureMessage. An unsupported extension shows
// "Cannot load this file type" and leaves the status line alone; a successful load shows
// "Loaded " + file name there. A failed decode records the reader's reason in
// source.LoadFailureCause. After the decode the view shows the image and the grid is laid
// out from source.GeoRef and drawn (SourceView); errors thrown there also fail the load.
void VisualizeFileInImage(MapSourceState& source, UserInterface& ui, SourceView& view);

// "The map image failed to load. ... The image requires " + requiredBytes + " bytes. ...".
// The text is kept as it always was, whatever the cause, because scripts compare it.
std::string LoadFailureMessage(std::uint64_t requiredBytes);

// The real cause beside it: "Cannot load " + file name + ": " + the reader's reason, e.g.
// "Cannot load chart.tif: 12-bit samples with a floating-point predictor are not supported".
// Empty when the source has no recorded cause.
std::string LoadFailureCauseText(const MapSourceState& source);

}  // namespace cz
