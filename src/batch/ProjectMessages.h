#pragma once
// Texts the project dialogs and the batch run show, shared by their operations and tests.

#include "project/Project.h"  // kNoProjectOpenedText

namespace cz {

inline constexpr char kNoFilesInProjectText[] = "No files in project";
inline constexpr char kNoMapFilesInProjectText[] = "No map files in project";

}  // namespace cz
