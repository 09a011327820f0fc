// Painting the main window's chart view: a 1024 × 768 view of a 20000 × 15000 chart, as the
// window paints it on every scroll or zoom step, at the smallest scale, the load's scale and
// the largest. Target: well under 16 ms per paint at each, so panning and zooming stay fluid.
//
// The chart is sampled from its own memory (no copy per paint) into the view's frame, which
// is then drawn as the window's paint event draws it; at 0.01 the whole chart is in view, so
// the paint must read only the pixels it shows.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>

#include "ChartView.h"
#include "imaging/Raster32.h"

namespace {

constexpr int kChartWidth = 20000;
constexpr int kChartHeight = 15000;
constexpr int kViewWidth = 1024;
constexpr int kViewHeight = 768;

const cz::Raster32& Chart() {
  static const cz::Raster32 chart = [] {
    cz::Raster32 raster(kChartWidth, kChartHeight);
    for (int y = 0; y < kChartHeight; ++y) {
      std::uint32_t* row = raster.Row(y);
      for (int x = 0; x < kChartWidth; ++x) {
        row[x] = cz::PackPixel(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                               static_cast<std::uint8_t>(x ^ y));
      }
    }
    return raster;
  }();
  return chart;
}

// Scale in hundredths (the zoom bar position + 1); the view scrolled to the chart's middle.
void BM_PaintChartView(benchmark::State& state) {
  const cz::Raster32& chart = Chart();
  const double scale = state.range(0) / 100.0;
  const auto scroll = [scale](int chartSize, int viewSize) {
    return std::max(0, static_cast<int>(chartSize * scale / 2) - viewSize / 2);
  };
  const cz::ViewMapping mapping{scale, -scroll(kChartWidth, kViewWidth),
                                -scroll(kChartHeight, kViewHeight)};
  QImage frame(kViewWidth, kViewHeight, QImage::Format_RGB32);
  QImage window(kViewWidth, kViewHeight, QImage::Format_RGB32);  // the backing store
  for (auto _ : state) {
    cz::ChartView::PaintChart(frame, chart, mapping, Qt::darkGray);
    QPainter painter(&window);
    painter.drawImage(0, 0, frame);
    painter.end();
    benchmark::DoNotOptimize(window.constBits());
  }
  state.SetLabel("scale " + std::to_string(scale).substr(0, 4));
}
BENCHMARK(BM_PaintChartView)->Arg(1)->Arg(25)->Arg(101)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
