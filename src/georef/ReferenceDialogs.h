#pragma once
// The logic of the two georeferencing dialogs that stay open beside the chart:
// - the reference dialog ("Geographic reference"): a clicked chart pixel is given the latitude
//   and longitude typed for it, for the top-left or the bottom-right corner reference;
// - the skew dialog ("Skew Meridians"): a slider sets the skew of one edge meridian.
// The windows only read their controls, call these and show the returned texts.
//
// Every change acts on the GeoReference at once. Showing a reference sets the two coordinate
// edits, and setting them counts as typing them: the reference's latitude and longitude are
// rounded to what the text holds (0.001 minute, 3 GeoCoord units) from then on. Then the
// reference moves to the picked pixel, so a chart click while the dialog shows moves it.
// Typed text goes through the parsers as it stands (a "_" field counts 0, a wrong letter gives
// 0); latitudes are clamped to ±90°, longitudes wrapped once (E180° becomes W180°). A chart
// across 180° keeps its bottom-right longitude east of the top-left one (W178° after E178° is
// 182, geo/Antimeridian.h) and shows it on the earth again (W178°).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "geo/GeoReference.h"
#include "georef/GridPicking.h"
#include "imaging/MapSource.h"

namespace cz {

enum class ReferenceCorner : std::uint8_t { TopLeft = 0, BottomRight = 1 };

inline constexpr char kClickOnMapLocationText[] = "Click on map location";

// Which reference the dialog edits; none before a corner button first chose one, and the
// text handlers then do nothing.
struct ReferenceDialogState {
  std::optional<ReferenceCorner> Edited;
};

// What the dialog shows.
struct ReferenceDialogTexts {
  std::string Pixel;      // Edit1
  std::string Latitude;   // MaskEdit1
  std::string Longitude;  // MaskEdit2
};

// "For the top/left reference" or "For the bottom/right reference".
const char* ReferenceCaption(ReferenceCorner corner);

// "Click on map location" while nothing is picked (PickX −1), else "X: x, Y: y".
std::string PickedPixelText(const GridPickState& pick);

// A corner button: the dialog edits that reference from now on, and the pick starts at the
// reference's own pixel, so that opening the dialog does not move it.
void ChooseReference(ReferenceDialogState& dialog, ReferenceCorner corner,
                     const GeoReference& geoRef, GridPickState& pick);

// On activation and on every chart click while the dialog shows: the texts to show; the
// reference is rounded to them and moved to the pick (see above). Without a chosen reference
// only the pixel text is given and nothing changes.
ReferenceDialogTexts UpdateInfo(const ReferenceDialogState& dialog, GeoReference& geoRef,
                                const GridPickState& pick);

// Every change of the latitude or longitude edit's text.
void LatitudeEdited(const ReferenceDialogState& dialog, GeoReference& geoRef,
                    std::string_view text);
void LongitudeEdited(const ReferenceDialogState& dialog, GeoReference& geoRef,
                     std::string_view text);

// " = Image Corner": the reference and the pick go to pixel (0, 0) for the top-left corner or
// (width − 1, height − 1) of the loaded chart for the bottom-right one. Returns the pixel text.
// Without a chosen reference nothing changes and the current pick's text is returned.
std::string SetToImageCorner(const ReferenceDialogState& dialog, GeoReference& geoRef,
                             GridPickState& pick, std::int32_t width, std::int32_t height);

// OK, and closing the dialog by its frame: the reference takes the pick and the two texts,
// and the settings file is written (SaveMapINI; throws CartozenError when it cannot be
// written, after the reference has changed). The caller then redraws the grid and hides the
// dialog.
void AcceptReference(const ReferenceDialogState& dialog, MapSourceState& source,
                     const GridPickState& pick, std::string_view latitudeText,
                     std::string_view longitudeText);

// Where the dialogs open, in the main window's client coordinates (the window maps them to
// the screen). The reference dialog opens beside its button: its top at the button's top for
// "Top Left", its bottom there for "Bottom Right" (the button sits in the bottom panel).
struct DialogPlacement {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
};
DialogPlacement PlaceReferenceDialog(ReferenceCorner corner, std::int32_t buttonLeft,
                                     std::int32_t panelTop, std::int32_t buttonTop,
                                     std::int32_t dialogHeight);

// The skew dialog edits the left edge meridian (its lower end moves; the bottom-left button)
// or the right one (its upper end; the top-right button).
enum class SkewSide : std::uint8_t { Left, Right };

inline constexpr std::int32_t kSkewSliderMinimum = -500;
inline constexpr std::int32_t kSkewSliderMaximum = 500;

struct SkewDialogState {
  SkewSide Target = SkewSide::Left;
};

std::int32_t& SkewOf(GeoReference& geoRef, SkewSide side);

// The slider's position for a stored skew: a skew outside the slider's range (from an edited
// settings file) is shown as it is in the text, and the slider stops at its end without
// changing the stored value.
std::int32_t SkewSliderPosition(std::int32_t skew);

// Each change of the slider's position: the skew takes it (the caller shows it and redraws;
// nothing is saved here).
void SkewSliderMoved(const SkewDialogState& dialog, GeoReference& geoRef, std::int32_t position);

// The skew dialog's place: beside the skew button, 50 pixels above it for the left meridian's
// button (bottom panel) and 50 pixels left of and below it for the right one's (top panel).
DialogPlacement PlaceSkewDialog(SkewSide side, std::int32_t panelLeft, std::int32_t panelTop,
                                std::int32_t buttonLeft, std::int32_t buttonTop);

}  // namespace cz
