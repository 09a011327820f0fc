#include "georef/ReferenceDialogs.h"

#include <algorithm>

#include "geo/Antimeridian.h"
#include "geo/GeoCoord.h"
#include "imaging/MapSource.h"

namespace cz {

namespace {

CornerReference& EditedReference(ReferenceCorner corner, GeoReference& geoRef) {
  return corner == ReferenceCorner::TopLeft ? geoRef.TopLeft : geoRef.BottomRight;
}

std::string PixelText(std::int32_t x, std::int32_t y) {
  return "X: " + std::to_string(x) + ", Y: " + std::to_string(y);
}

}  // namespace

const char* ReferenceCaption(ReferenceCorner corner) {
  return corner == ReferenceCorner::TopLeft ? "For the top/left reference"
                                            : "For the bottom/right reference";
}

std::string PickedPixelText(const GridPickState& pick) {
  return pick.PickX == -1 ? std::string(kClickOnMapLocationText)
                          : PixelText(pick.PickX, pick.PickY);
}

void ChooseReference(ReferenceDialogState& dialog, ReferenceCorner corner,
                     const GeoReference& geoRef, GridPickState& pick) {
  dialog.Edited = corner;
  const CornerReference& reference =
      corner == ReferenceCorner::TopLeft ? geoRef.TopLeft : geoRef.BottomRight;
  pick.PickX = reference.X;
  pick.PickY = reference.Y;
}

ReferenceDialogTexts UpdateInfo(const ReferenceDialogState& dialog, GeoReference& geoRef,
                                const GridPickState& pick) {
  ReferenceDialogTexts texts;
  texts.Pixel = PickedPixelText(pick);
  if (!dialog.Edited) return texts;
  CornerReference& reference = EditedReference(*dialog.Edited, geoRef);
  texts.Latitude = FormatLatitude(DegreesToGeoCoord(reference.Latitude));
  // Shown on the earth, as typed: a bottom-right reference past 180° as west of it.
  texts.Longitude = FormatLongitude(ShownLongitude(reference.Longitude));
  LatitudeEdited(dialog, geoRef, texts.Latitude);
  LongitudeEdited(dialog, geoRef, texts.Longitude);
  reference.X = pick.PickX;
  reference.Y = pick.PickY;
  return texts;
}

void LatitudeEdited(const ReferenceDialogState& dialog, GeoReference& geoRef,
                    std::string_view text) {
  if (!dialog.Edited) return;
  EditedReference(*dialog.Edited, geoRef).Latitude =
      GeoCoordToDegrees(ClampLatitude(ParseLatitude(text)));
}

void LongitudeEdited(const ReferenceDialogState& dialog, GeoReference& geoRef,
                     std::string_view text) {
  if (!dialog.Edited) return;
  const double typed = GeoCoordToDegrees(WrapLongitude(ParseLongitude(text)));
  // The bottom-right reference stays east of the top-left one across 180°.
  if (*dialog.Edited == ReferenceCorner::TopLeft) {
    geoRef.TopLeft.Longitude = typed;
    geoRef.BottomRight.Longitude = LongitudeEastOf(geoRef.BottomRight.Longitude, typed);
  } else {
    geoRef.BottomRight.Longitude = LongitudeEastOf(typed, geoRef.TopLeft.Longitude);
  }
}

std::string SetToImageCorner(const ReferenceDialogState& dialog, GeoReference& geoRef,
                             GridPickState& pick, std::int32_t width, std::int32_t height) {
  if (!dialog.Edited) return PickedPixelText(pick);
  const bool topLeft = *dialog.Edited == ReferenceCorner::TopLeft;
  CornerReference& reference = EditedReference(*dialog.Edited, geoRef);
  reference.X = topLeft ? 0 : width - 1;
  reference.Y = topLeft ? 0 : height - 1;
  pick.PickX = reference.X;
  pick.PickY = reference.Y;
  return PixelText(reference.X, reference.Y);
}

void AcceptReference(const ReferenceDialogState& dialog, MapSourceState& source,
                     const GridPickState& pick, std::string_view latitudeText,
                     std::string_view longitudeText) {
  if (dialog.Edited) {
    CornerReference& reference = EditedReference(*dialog.Edited, source.GeoRef);
    reference.X = pick.PickX;
    reference.Y = pick.PickY;
    LatitudeEdited(dialog, source.GeoRef, latitudeText);
    LongitudeEdited(dialog, source.GeoRef, longitudeText);
  }
  SaveMapINI(source);
}

DialogPlacement PlaceReferenceDialog(ReferenceCorner corner, std::int32_t buttonLeft,
                                     std::int32_t panelTop, std::int32_t buttonTop,
                                     std::int32_t dialogHeight) {
  const std::int32_t buttonAnchor = panelTop + buttonTop;
  return {buttonLeft,
          corner == ReferenceCorner::TopLeft ? buttonAnchor : buttonAnchor - dialogHeight};
}

std::int32_t& SkewOf(GeoReference& geoRef, SkewSide side) {
  return side == SkewSide::Left ? geoRef.SkewLeft : geoRef.SkewRight;
}

std::int32_t SkewSliderPosition(std::int32_t skew) {
  return std::clamp(skew, kSkewSliderMinimum, kSkewSliderMaximum);
}

void SkewSliderMoved(const SkewDialogState& dialog, GeoReference& geoRef, std::int32_t position) {
  SkewOf(geoRef, dialog.Target) = position;
}

DialogPlacement PlaceSkewDialog(SkewSide side, std::int32_t panelLeft, std::int32_t panelTop,
                                std::int32_t buttonLeft, std::int32_t buttonTop) {
  const std::int32_t left = panelLeft + buttonLeft;
  const std::int32_t top = panelTop + buttonTop;
  return side == SkewSide::Left ? DialogPlacement{left, top - 50}
                                : DialogPlacement{left - 50, top + 50};
}

}  // namespace cz
