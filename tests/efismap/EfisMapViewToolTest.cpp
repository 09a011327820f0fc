// The efismap-view command, run as a program on a project made here.

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "MapFileBuilder.h"
#include "efismap/EfisMapFile.h"
#include "platform/BinaryFile.h"
#include "platform/FileSystem.h"
#include "support/GifTestFiles.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::TempFolder;

const std::string kTool = std::string(CARTOZEN_BIN_DIR) + "/efismap-view";

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

int RunTool(const std::vector<std::string>& arguments) {
  std::string command = Quote(kTool);
  for (const std::string& argument : arguments) command += " " + Quote(argument);
  command += " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Png {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  std::uint32_t At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return (std::uint32_t{rgb[i]} << 16) | (std::uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
  }
};

Png ReadPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Png png;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return png;
  image.format = PNG_FORMAT_RGB;
  png.rgb.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, png.rgb.data(), 0, nullptr)) {
    png.width = static_cast<int>(image.width);
    png.height = static_cast<int>(image.height);
  }
  return png;
}

class EfisMapView : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(kTool)) << kTool << " is not built";
    // One level-2 tile under 47° N 8.5° E: 414 × 600, colour index (x + y) mod 200.
    tile_.width = 414;
    tile_.height = 600;
    for (int i = 0; i < 200; ++i) tile_.colours.push_back(testing::TestColour(i));
    for (int y = 0; y < 600; ++y) {
      for (int x = 0; x < 414; ++x)
        tile_.indices.push_back(static_cast<std::uint8_t>((x + y) % 200));
    }
    mapPath_ = testing::WriteMapFile(project_, "EFIS Maps/E004N50.MAP",
                                     {{2, 28, testing::EncodeWithGiflib(tile_)}});
  }

  std::uint32_t TileColour(int x, int y) const {
    return testing::ViewPixel(tile_.colours[tile_.At(x, y)]);
  }

  TempFolder project_;
  testing::IndexedImage tile_;
  std::string mapPath_;
};

TEST_F(EfisMapView, RendersTheViewersPictureToAPng) {
  const std::string out = project_ / "view.png";
  ASSERT_EQ(RunTool({project_.Path(), "N47°00.000", "E008°30.000", "2", out}), 0);
  const Png png = ReadPng(out);
  ASSERT_EQ(png.width, 970);
  ASSERT_EQ(png.height, 586);
  // View (485 + x, 293 + y) shows buffer (640 + x, 640 + y); the tile's origin is (434, 640).
  EXPECT_EQ(png.At(485 + 50, 293 + 50), TileColour(206 + 50, 50));
  EXPECT_EQ(png.At(485 - 200, 293 + 250), TileColour(6, 250));
  EXPECT_EQ(png.At(485 + 50, 293 - 50), 0u);  // north of the tile: no map there
  EXPECT_EQ(png.At(485, 293), 0u);            // the cross
  EXPECT_EQ(png.At(485 + 5, 293 + 2), 0xFFFFFFu);

  // A view size may follow the file name.
  const std::string small = project_ / "small.png";
  ASSERT_EQ(RunTool({project_.Path(), "47", "8.5", "2", small, "101", "60"}), 0);
  const Png smallPng = ReadPng(small);
  EXPECT_EQ(smallPng.width, 101);
  EXPECT_EQ(smallPng.height, 60);
  EXPECT_EQ(smallPng.At(50 + 20, 30 + 20), TileColour(226, 20));
}

TEST_F(EfisMapView, DecimalDegreesAndTextGiveTheSamePicture) {
  ASSERT_EQ(RunTool({project_.Path(), "N47°00.000", "E008°30.000", "2", project_ / "a.png"}), 0);
  ASSERT_EQ(RunTool({project_.Path(), "47", "8.5", "2", project_ / "b.png"}), 0);
  ASSERT_EQ(RunTool({project_.Path(), "47.0", "-351.5", "2", project_ / "c.png"}), 0);
  const std::string a = testing::ReadFileBytes(project_ / "a.png");
  EXPECT_EQ(testing::ReadFileBytes(project_ / "b.png"), a);
  EXPECT_EQ(testing::ReadFileBytes(project_ / "c.png"), a);
}

struct BadArguments {
  std::vector<std::string> arguments;  // "@" stands for the project folder
};

class EfisMapViewArguments : public EfisMapView,
                             public ::testing::WithParamInterface<BadArguments> {};

TEST_P(EfisMapViewArguments, AreRefusedWithoutWritingAPicture) {
  std::vector<std::string> arguments = GetParam().arguments;
  for (std::string& a : arguments) {
    if (a == "@") a = project_.Path();
  }
  arguments.push_back(project_ / "out.png");
  EXPECT_EQ(RunTool(arguments), 2);
  EXPECT_FALSE(FileExists(project_ / "out.png"));
}

INSTANTIATE_TEST_SUITE_P(
    EfisMapView, EfisMapViewArguments,
    ::testing::Values(BadArguments{{"@", "47", "8.5"}}, BadArguments{{"@", "47", "8.5", "5"}},
                      BadArguments{{"@", "E047°00.000", "8.5", "2"}},
                      BadArguments{{"@", "47", "N008°30.000", "2"}},
                      BadArguments{{"@", "47x", "8.5", "2"}}, BadArguments{{"@", "47", "400", "2"}},
                      BadArguments{{"/nonexistent/project", "47", "8.5", "2"}}));

TEST_F(EfisMapView, CorruptMapFailsWithItsReadError) {
  std::string bytes = testing::ReadFileBytes(mapPath_);
  bytes[5386 + 4 * 28 + 3] = 0x10;  // the slot points far past the end
  project_.Write("EFIS Maps/E004N50.MAP", bytes);
  EXPECT_EQ(RunTool({project_.Path(), "47", "8.5", "2", project_ / "out.png"}), 1);
  EXPECT_FALSE(FileExists(project_ / "out.png"));
}

}  // namespace
}  // namespace cz
