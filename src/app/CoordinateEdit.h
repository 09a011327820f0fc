#pragma once
// An edit box in which a person types a coordinate in the program's text form: latitude
// "N45°30.000", longitude "E008°30.500". It carries the input mask of those forms: one letter,
// forced to upper case, then digits only at the digit positions, the "°" and "." kept in the
// text, and "_" in every position not yet filled. Coordinate() is therefore always in the
// layout the parsers read, blanks included.

#include <QLineEdit>

#include <string>

namespace cz {

enum class CoordinateKind { Latitude, Longitude };

class CoordinateEdit : public QLineEdit {
  Q_OBJECT
 public:
  CoordinateEdit(CoordinateKind kind, QWidget* parent = nullptr);

  // The whole text as shown, "_" in the blanks, UTF-8.
  std::string Coordinate() const;
  // Shows text through the mask (characters the mask refuses are left blank).
  void SetCoordinate(const std::string& text);
};

}  // namespace cz
