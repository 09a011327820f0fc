#include "workspace/GridFitCommands.h"

#include <cstdio>
#include <iostream>

#include "platform/Error.h"
#include "port/ProgressCounter.h"
#include "workspace/ChartGeoReferenceCommands.h"
#include "workspace/BusyState.h"

namespace cz {

GridReport FitSourceGrid(MapSourceState& source, UserInterface& ui) {
  GridReport report = FindGraticule(source.Image, source.GeoRef, [&ui](double) {
    ui.ProcessEvents();
    return !ui.CancelRequested();
  });
  if (report.Flagged() < static_cast<std::int32_t>(report.Points.size())) {
    source.GeoRef = WithFittedGrid(source.GeoRef, report);
    SaveMapINI(source);
  }
  return report;
}

void FitGridOnCommandLine(MapSourceState& source, UserInterface& ui) {
  const GridReport report = FitSourceGrid(source, ui);
  std::cerr << GridFitSummary(report) << '\n';
  // The five points farthest from their neighbours, as a person checks them first.
  int shown = 0;
  for (const std::size_t k : report.Worst()) {
    if (shown++ == 5) break;
    const ReportedPoint& p = report.Points[k];
    char line[160];
    std::snprintf(line, sizeof line, "  point %s: %s, shift %.1f %.1f px, residual %.1f px",
                  p.Name().c_str(), p.Located ? MarkName(p.Mark) : "not found", p.ShiftX(),
                  p.ShiftY(), p.Residual);
    std::cerr << line << '\n';
  }
}


namespace {

void ReportOfGridAsItStands(AppState& state) {
  state.GridFit.Report = GridResiduals(state.Source.GeoRef);
  state.GridFit.Summary = GridCheckSummary(*state.GridFit.Report);
}

bool GridToFit(const AppState& state, UserInterface& ui) {
  if (RefuseGeoReferenceEditIfBusy(state.Busy, ui)) return false;
  const MapSourceState& source = state.Source;
  if (!source.Loaded || source.GeoRef.NLon < 1 || source.GeoRef.NLat < 1) {
    ui.ShowMessage(kNoGridToFitText);
    return false;
  }
  return true;
}

}  // namespace

void FitGridCommand(AppState& state, UserInterface& ui) {
  if (!GridToFit(state, ui)) return;
  const GeoReference before = state.Source.GeoRef;
  GridReport report;
  {
    BusyScope busy(state.Busy, LongOperation::GridFit);
    const GeoReference& geo = state.Source.GeoRef;
    ProgressCounter progress(ui, ProgressTask::GridFit,
                             std::int64_t{geo.NLon + 1} * (geo.NLat + 1));
    try {
      report = FindGraticule(state.Source.Image, geo, [&](double) {
        progress.Step();
        ui.ProcessEvents();
        return !ui.CancelRequested();
      });
    } catch (const OperationCancelled&) {
      ui.SetStatusText(kGridFitCancelledText);
      return;
    }
  }
  if (report.Flagged() < static_cast<std::int32_t>(report.Points.size())) {
    state.Source.GeoRef = WithFittedGrid(before, report);
    SaveMapINI(state.Source);
    state.GridFit.Before = before;
  }
  state.GridFit.Summary = GridFitSummary(report);
  state.GridFit.Report = std::move(report);
  ui.SetStatusText(state.GridFit.Summary);
  state.GeoReferenceChanged.Notify();
}

void UndoGridFitCommand(AppState& state, UserInterface& ui) {
  if (RefuseGeoReferenceEditIfBusy(state.Busy, ui) || !state.GridFit.Before) return;
  state.Source.GeoRef = *state.GridFit.Before;
  SaveMapINI(state.Source);
  state.GridFit = GridFitState{};
  ui.SetStatusText(kGridFitUndoneText);
  state.GeoReferenceChanged.Notify();
}

void CheckGridCommand(AppState& state, UserInterface& ui) {
  if (!GridToFit(state, ui)) return;
  ReportOfGridAsItStands(state);
  state.GridFit.ControlPoints = ControlPointReportOf(state.Source);
  ui.SetStatusText(state.GridFit.Summary);
  state.GeoReferenceChanged.Notify();
}

void RecheckGridReport(AppState& state) {
  if (!state.GridFit.Report) return;  // an edit does not start a report of its own
  ReportOfGridAsItStands(state);
}

}  // namespace cz
