#pragma once
// The dialogs the main window opens, created once with it and kept for the whole run, and
// the wiring of what opens them:
// - "Top Left" / "Bottom Right": the reference dialog, non-modal, for that corner reference,
//   opened beside its button; while it shows, a press on the chart is its pick;
// - the two "Meridian skew" buttons: the skew dialog for the left (bottom panel) or right (top
//   panel) edge meridian, non-modal and on top;
// - "Read BPW": the world file beside the chart sets the corner references (the grid follows
//   as for every georeference edit);
// - "Map processing Options", "View/Edit project", "Execute batch": their modal windows.
// Errors the handlers raise go to the main window's general error handler. When another
// source replaces the loaded one, the reference and skew dialogs close without writing
// anything (they belonged to the old source).

#include "georef/ReferenceDialogs.h"
#include "workspace/ObserverList.h"

namespace cz {

class TBatchForm;
class TForm1;
class TGeoRefForm;
class TProjectOptions;
class TProjectViewerForm;
class TSkewMeridian;

class MainWindowDialogs {
 public:
  explicit MainWindowDialogs(TForm1& window);

  void BitBtn1Click();  // "Top Left"
  void BitBtn2Click();  // "Bottom Right"
  void BitBtn3Click();  // "Meridian skew", left meridian
  void BitBtn4Click();  // "Meridian skew", right meridian
  void BitBtn5Click();  // "Read BPW"

  // The reference and skew dialogs' controls follow the workspace's rules (TForm1's
  // UpdateAvailability calls this).
  void UpdateAvailability();

  // Owned by the main window (Qt children).
  TGeoRefForm* GeoRefForm = nullptr;
  TSkewMeridian* SkewMeridian = nullptr;
  TProjectOptions* ProjectOptions = nullptr;
  TProjectViewerForm* ProjectViewerForm = nullptr;
  TBatchForm* BatchForm = nullptr;

 private:
  void OpenReferenceDialog(ReferenceCorner corner);
  void OpenSkewDialog(SkewSide side);

  TForm1& window_;
  ObserverList::Subscription sourceReplaced_;
};

}  // namespace cz
