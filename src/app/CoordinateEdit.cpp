#include "CoordinateEdit.h"

namespace cz {

namespace {

// Qt spells the desktop masks without their middle field: Qt always keeps literals in the
// text. "0" is a digit that may be left blank, "L" a required letter, ">" upper case.
const char* QtMask(CoordinateEdit::Kind kind) {
  return kind == CoordinateEdit::Kind::Latitude ? ">L00\\\u00B000\\.000;_"
                                                : ">L000\\\u00B000\\.000;_";
}

}  // namespace

CoordinateEdit::CoordinateEdit(Kind kind, QWidget* parent) : QLineEdit(parent), kind_(kind) {
  setInputMask(QString::fromUtf8(QtMask(kind)));
}

std::string CoordinateEdit::CoordinateText() const {
  // displayText, not text(): text() drops the blanks and would shift every later field.
  return displayText().toStdString();
}

void CoordinateEdit::SetCoordinateText(const std::string& text) {
  setText(QString::fromStdString(text));
}

}  // namespace cz
