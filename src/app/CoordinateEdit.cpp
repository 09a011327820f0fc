#include "CoordinateEdit.h"

namespace cz {

namespace {
// ">" upper case from here on, "L" a letter, "9" a digit, "\" a literal; ";_" the blank.
const QString kLatitudeMask = QStringLiteral(">L99\\\u00B099\\.999;_");
const QString kLongitudeMask = QStringLiteral(">L999\\\u00B099\\.999;_");
}  // namespace

CoordinateEdit::CoordinateEdit(CoordinateKind kind, QWidget* parent) : QLineEdit(parent) {
  setInputMask(kind == CoordinateKind::Latitude ? kLatitudeMask : kLongitudeMask);
}

std::string CoordinateEdit::Coordinate() const {
  // text() drops the blanks; the parsers need every position where it is.
  return displayText().toStdString();
}

void CoordinateEdit::SetCoordinate(const std::string& text) {
  setText(QString::fromStdString(text));
}

}  // namespace cz
