#include "CoordinateEdit.h"

namespace cz {

namespace {
// The masks ">L00\°00\.000;1;_" and ">L000\°00\.000;1;_" in Qt's notation: ">" upper case
// from here on, "A" a letter, "9" a digit, "\" a literal; ";_" the blank. The literals stay in
// the text (displayText) as the "1" of the original notation asks.
const QString kLatitudeMask = QStringLiteral(">A99\\\u00B099\\.999;_");
const QString kLongitudeMask = QStringLiteral(">A999\\\u00B099\\.999;_");
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
