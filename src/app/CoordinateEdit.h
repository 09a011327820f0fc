#pragma once
// A masked edit for one coordinate text: "N45°30.000" (latitude) or "E008°30.500" (longitude).
// One letter, forced to upper case, then digits at the digit positions; "°" and "." stay in
// the text as typed, and "_" fills positions not yet typed, so the text always has the fixed
// layout the coordinate parsers read (Parse*/Clamp*/Wrap* in geo/GeoCoord.h).
//
// The masks are the desktop's ">L00\°00\.000;1;_" and ">L000\°00\.000;1;_": literals kept in
// the text, "_" as the blank. Digits may be left blank (they count as 0 when parsed), as the
// original masks' behaviour on the EFIS viewer allowed; the letter is any letter, and one the
// parser does not know (not N/S, E/W) makes the value 0.

#include <QLineEdit>

#include <string>

namespace cz {

class CoordinateEdit : public QLineEdit {
  Q_OBJECT
 public:
  enum class Kind { Latitude, Longitude };

  explicit CoordinateEdit(Kind kind, QWidget* parent = nullptr);

  Kind CoordinateKind() const { return kind_; }

  // The text in the fixed layout, "_" where nothing was typed (UTF-8).
  std::string CoordinateText() const;
  // Shows a formatted coordinate text (FormatLatitude / FormatLongitude).
  void SetCoordinateText(const std::string& text);

 private:
  Kind kind_;
};

}  // namespace cz
