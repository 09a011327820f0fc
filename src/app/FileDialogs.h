#pragma once
// The main window's two file-open dialogs: the project file (OpenDialog2: filter "VDK Cartozen
// project (*.prg)", the program's folder, a typed name without extension gets ".prg", a name
// that does not exist yet may be typed) and the source image (OpenDialog1: an existing image in
// the project's map-source folder). Each returns the chosen file's full path, or nothing when
// cancelled.

#include <optional>
#include <string>

class QString;
class QWidget;

namespace cz {

std::optional<std::string> ChooseProjectFileInDialog(QWidget* parent);
std::optional<std::string> ChooseSourceImageInDialog(QWidget* parent,
                                                     const std::string& initialFolder,
                                                     const std::string& filter);

// The source-image filter "description|pattern; pattern; ..." in Qt's form, "description
// (pattern pattern ...)", each pattern in both cases because Linux names are matched literally.
QString QtImageFilter(const std::string& filter);

}  // namespace cz
