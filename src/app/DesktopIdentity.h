#pragma once
// How the desktop knows the program: its window icon (ours, compiled in, so a copy anywhere
// shows it) and the desktop entry it belongs to ("cartozen2.desktop"), by which a desktop
// shell matches the running windows to the menu entry and its icon.

namespace cz {

inline constexpr char kDesktopEntryName[] = "cartozen2";

// Call once the QApplication exists.
void ApplyDesktopIdentity();

}  // namespace cz
