#include "imaging/SourceImage.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "imaging/ChartSamples.h"
#include "imaging/MapSource.h"
#include "imaging/SourceView.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "support/AddressSanitizer.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz::testing {
namespace {

using namespace std::string_literals;

class RecordingView : public SourceView {
 public:
  void ResetForLoad() override { calls.push_back("reset"); }
  void ShowLoadedImage() override {
    calls.push_back("show");
    if (failToShow) throw CartozenError("grid could not be drawn");
  }
  void DrawGridFromGeoRef(GeoReference&, UserInterface&) override { calls.push_back("grid"); }
  void EnableGeoReferenceControls() override { calls.push_back("enable"); }

  std::vector<std::string> calls;
  bool failToShow = false;
};

const std::string kFailureWithZero =
    "The map image failed to load. The operating system is not providing suffient linear memory "
    "to contain the image in full. The image requires 0 bytes. Try reducing the image resolution "
    "or cut the image into two parts using a suitable image editor.";

TEST(LoadFailureMessage, QuotesTheCountIn64Bits) {
  EXPECT_EQ(LoadFailureMessage(0), kFailureWithZero);
  EXPECT_NE(LoadFailureMessage(4800000000ull).find(" requires 4800000000 bytes. "),
            std::string::npos);
}

// Writes a small chart of the format its extension names.
std::string WriteChart(const TempFolder& folder, const std::string& name) {
  const std::string path = folder / name;
  const std::string ext = UpperCase(ExtractFileExt(name));
  if (ext == ".TIF" || ext == ".TIFF") {
    WriteTiff(path,
              {"", PHOTOMETRIC_RGB, 3, 8, COMPRESSION_NONE, false, false, ORIENTATION_TOPLEFT}, 9,
              7);
  } else if (ext == ".JPG" || ext == ".JPEG") {
    WriteJpeg(path, {"", JCS_RGB, false, false}, 9, 7);
  } else {
    BmpLayout layout{9, 7, 24, 0, {}, {}, 40};
    folder.Write(name, BuildBmp(layout, std::string(7 * 28, '\x40')));
  }
  return path;
}

class ExtensionsChooseTheDecoder : public ::testing::TestWithParam<const char*> {};

TEST_P(ExtensionsChooseTheDecoder, WithoutRegardToCase) {
  TempFolder folder;
  MapSourceState source;
  source.Path = WriteChart(folder, GetParam());
  RecordingUserInterface ui;
  RecordingView view;
  VisualizeFileInImage(source, ui, view);
  EXPECT_TRUE(source.Loaded);
  EXPECT_EQ(source.Image.Width(), 9);
  EXPECT_EQ(source.Image.Height(), 7);
  EXPECT_EQ(source.RequiredBytes, 9u * 7 * 4);
  EXPECT_EQ(ui.statusTexts, std::vector<std::string>{"Loaded " + std::string(GetParam())});
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(view.calls, (std::vector<std::string>{"reset", "show", "grid", "enable"}));
}

INSTANTIATE_TEST_SUITE_P(Names, ExtensionsChooseTheDecoder,
                         ::testing::Values("chart.Tif", "chart.TIFF", "chart.tif", "chart.jpg",
                                           "chart.JPEG", "chart.Jpeg", "chart.bmp", "chart.BMP",
                                           "my.charts.v2.tiff"));

TEST(VisualizeFileInImage, OpensAPathWhoseCaseDiffersFromTheDisk) {
  // A hand-edited [MapFiles] entry, or one copied from another machine.
  TempFolder folder;
  for (const std::string name : {"Chart.TIF", "MAP.JPG", "Plate.Bmp"}) {
    WriteChart(folder, name);
    MapSourceState source;
    source.Path = folder / UpperCase(name);
    RecordingUserInterface ui;
    RecordingView view;
    VisualizeFileInImage(source, ui, view);
    EXPECT_TRUE(source.Loaded) << name;
  }
}

// Loads a good chart first, then the given path: whatever fails leaves no image at all.
struct FailedLoad {
  MapSourceState source;
  RecordingUserInterface ui;
  RecordingView view;
};
void LoadAfterAGoodOne(const TempFolder& folder, const std::string& path, FailedLoad& load) {
  load.source.Path = WriteChart(folder, "previous.bmp");
  VisualizeFileInImage(load.source, load.ui, load.view);
  ASSERT_TRUE(load.source.Loaded);
  load.ui.statusTexts.clear();
  load.view.calls.clear();
  load.source.Path = path;
  VisualizeFileInImage(load.source, load.ui, load.view);
  EXPECT_FALSE(load.source.Loaded);
  EXPECT_TRUE(load.source.Image.Empty());
  EXPECT_EQ(load.source.Path, path);  // kept after a failure
  EXPECT_TRUE(load.ui.statusTexts.empty());
}

TEST(VisualizeFileInImage, UnsupportedExtensionSaysSoAndEmptiesTheView) {
  TempFolder folder;
  // A name without extension ("tif") is unsupported too.
  for (const std::string& path :
       {folder.Write("chart.png", "\x89PNG"), folder.Write("tif", "II*")}) {
    FailedLoad load;
    LoadAfterAGoodOne(folder, path, load);
    EXPECT_EQ(load.ui.messages, std::vector<std::string>{"Cannot load this file type"}) << path;
    EXPECT_EQ(load.source.RequiredBytes, 0u);
    EXPECT_EQ(load.view.calls, std::vector<std::string>{"reset"});
  }
}

TEST(VisualizeFileInImage, FailuresShowNothingAndQuoteTheirOwnHeader) {
  TempFolder folder;
  std::string jpeg = ReadFileBytes(WriteChart(folder, "cut.jpg"));
  const struct {
    std::string path;
    std::uint64_t requiredBytes;
  } cases[] = {
      {folder / "missing.tif", 0},
      {folder / "missing.jpg", 0},
      {folder / "missing.bmp", 0},
      {folder.Write("jpeg.tif", jpeg), 0},
      {folder.Write("cut.jpg", jpeg.substr(0, jpeg.size() - 40)), 9 * 7 * 4},
      {folder.Write("bad.bmp", "BM" + std::string(20, '\xFF')), 0},
  };
  for (const auto& c : cases) {
    FailedLoad load;
    LoadAfterAGoodOne(folder, c.path, load);
    EXPECT_TRUE(load.ui.messages.empty()) << c.path;
    EXPECT_EQ(load.source.RequiredBytes, c.requiredBytes) << c.path;
    EXPECT_EQ(load.view.calls, std::vector<std::string>{"reset"}) << c.path;
  }
}

TEST(VisualizeFileInImage, AFailureToShowTheImageFailsTheLoad) {
  TempFolder folder;
  MapSourceState source;
  source.Path = WriteChart(folder, "chart.tif");
  RecordingUserInterface ui;
  RecordingView view;
  view.failToShow = true;
  VisualizeFileInImage(source, ui, view);
  EXPECT_FALSE(source.Loaded);
  EXPECT_TRUE(source.Image.Empty());
  EXPECT_TRUE(ui.statusTexts.empty());
  EXPECT_EQ(view.calls, (std::vector<std::string>{"reset", "show"}));
}

// The allocation failure is provoked for real, by a child process whose address space is
// too small for the raster (not under AddressSanitizer: support/AddressSanitizer.h).

std::size_t AddressSpaceInUse() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Loads path in a child limited to what it uses now plus 256 MB; returns the message the
// flow would show when the load failed, or "loaded".
[[maybe_unused]] std::string LoadInSmallAddressSpace(const std::string& path) {
  int channel[2];
  if (pipe(channel) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const rlim_t limit = AddressSpaceInUse() + (256u << 20);
    const rlimit rl{limit, limit};
    setrlimit(RLIMIT_AS, &rl);
    MapSourceState source;
    source.Path = path;
    SilentUserInterface ui;
    RecordingView view;
    VisualizeFileInImage(source, ui, view);
    const std::string text = source.Loaded ? "loaded" : LoadFailureMessage(source.RequiredBytes);
    (void)!write(channel[1], text.data(), text.size());
    _exit(0);
  }
  close(channel[1]);
  std::string text;
  char buffer[512];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return text;
}

TEST(VisualizeFileInImage, RasterThatCannotBeAllocatedQuotesItsSize) {
#ifdef CZ_UNDER_ASAN
  GTEST_SKIP() << "address-space limits do not work under AddressSanitizer";
#else
  TempFolder folder;
  const std::string tiff = folder.Write("huge.tif", HandMadeTiff(20000, 15000));
  EXPECT_EQ(LoadInSmallAddressSpace(tiff),
            "The map image failed to load. The operating system is not providing suffient linear "
            "memory to contain the image in full. The image requires 1200000000 bytes. Try "
            "reducing the image resolution or cut the image into two parts using a suitable "
            "image editor.");

  // A JPEG and a bitmap whose headers ask for 16000 × 12000 pixels (768000000 bytes).
  std::string jpeg = ReadFileBytes(WriteChart(folder, "small.jpg"));
  const std::size_t sof = jpeg.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  jpeg[sof + 5] = static_cast<char>(12000 >> 8);
  jpeg[sof + 6] = static_cast<char>(12000 & 255);
  jpeg[sof + 7] = static_cast<char>(16000 >> 8);
  jpeg[sof + 8] = static_cast<char>(16000 & 255);
  const std::string expected = LoadFailureMessage(768000000);
  EXPECT_EQ(LoadInSmallAddressSpace(folder.Write("huge.jpg", jpeg)), expected);

  BmpLayout layout{16000, 12000, 8, 1, {0x000000}, {}, 40};  // RLE8: one end-of-bitmap code
  EXPECT_EQ(LoadInSmallAddressSpace(folder.Write("huge.bmp", BuildBmp(layout, "\0\1"s))), expected);
#endif
}

}  // namespace
}  // namespace cz::testing
