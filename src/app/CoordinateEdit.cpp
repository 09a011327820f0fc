#include "CoordinateEdit.h"

namespace cz {

namespace {

// The desktop masks in Qt's spelling: no middle field (Qt always keeps literals in the text),
// and "A" for the required letter the desktop writes "L". "0" is a digit that may be left
// blank, ">" forces upper case.
const char* QtMask(CoordinateEdit::Kind kind) {
  return kind == CoordinateEdit::Kind::Latitude ? ">A00\\\u00B000\\.000;_"
                                                : ">A000\\\u00B000\\.000;_";
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
