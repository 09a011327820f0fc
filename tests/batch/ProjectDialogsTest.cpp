// The project viewer's list editing and the Map Options dialog's logic.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "batch/MapOptions.h"
#include "batch/ProjectMessages.h"
#include "batch/ProjectViewer.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "project/IniFile.h"
#include "project/MapSourceSettings.h"
#include "project/Project.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::RecordingUserInterface;
using testing::TempFolder;

class ProjectDialogsTest : public ::testing::Test {
 protected:
  void OpenProject() { OpenProjectFile(project, work / "P/p.prg"); }
  // A source image path in the project; with settings, its settings file is written too.
  std::string AddSource(const std::string& name, bool withSettings) {
    const std::string image = work.Write("P/Map sources/" + name, "image bytes");
    if (withSettings) {
      GeoReference settings;
      settings.TopLeft.Latitude = 47.5;
      settings.ColorReduction = 1;
      settings.Dithering = 3;
      SaveMapINI(image, settings, false);
    }
    AddToMapFileList(project, image);
    return image;
  }
  std::string ProjectFileBytes() { return ReadFileBytes(work / "P/p.prg"); }

  TempFolder work;
  ProjectState project;
  GeoReference geo;  // the current source's, which the Map Options dialog edits
  RecordingUserInterface ui;
};

// --- Project viewer -------------------------------------------------------------------------

TEST_F(ProjectDialogsTest, ViewerOfAnEmptyProjectSaysSo) {
  OpenProject();
  ProjectViewer viewer;
  viewer.Show(project, ui);
  EXPECT_TRUE(viewer.Entries().empty());
  EXPECT_EQ(ui.messages, std::vector<std::string>{kNoFilesInProjectText});
}

TEST_F(ProjectDialogsTest, DeletingRewritesTheSectionInListOrderAndKeepsTheFiles) {
  OpenProject();
  const std::string a = AddSource("a.tif", true);
  const std::string b = AddSource("b.tif", true);
  const std::string c = AddSource("c.tif", false);
  // A later section must survive the rewrite of [MapFiles].
  project.File->WriteString("EPGS3857", "SourceFolder", "/x");

  ProjectViewer viewer;
  viewer.Show(project, ui);
  viewer.DeleteSelected(project, 1, ui);
  EXPECT_EQ(viewer.Entries(), (std::vector<std::string>{a, c}));
  EXPECT_EQ(MapFileList(project), (std::vector<std::string>{a, c}));
  EXPECT_EQ(IniFile(work / "P/p.prg").ReadSectionKeys("MapFiles"),
            (std::vector<std::string>{a, c}));
  EXPECT_EQ(IniFile(work / "P/p.prg").ReadString("MapFiles", c, ""), "0");
  EXPECT_EQ(IniFile(work / "P/p.prg").ReadString("EPGS3857", "SourceFolder", ""), "/x");
  EXPECT_TRUE(FileExists(b));
  EXPECT_TRUE(FileExists(MapSourceSettingsFile(b)));
  EXPECT_TRUE(ui.questions.empty());  // no confirmation
}

TEST_F(ProjectDialogsTest, DeletingTheOnlyEntryRemovesTheSection) {
  OpenProject();
  AddSource("only.tif", true);
  ProjectViewer viewer;
  viewer.Show(project, ui);
  viewer.DeleteSelected(project, 0, ui);
  EXPECT_TRUE(viewer.Entries().empty());
  EXPECT_FALSE(IniFile(work / "P/p.prg").SectionExists("MapFiles"));
  EXPECT_EQ(ProjectFileBytes().find("MapFiles"), std::string::npos);
}

TEST_F(ProjectDialogsTest, DeletingWithoutASelectionChangesNothing) {
  OpenProject();
  AddSource("a.tif", false);
  ProjectViewer viewer;
  viewer.Show(project, ui);
  const std::string before = ProjectFileBytes();
  for (int index : {-1, 1, 99}) viewer.DeleteSelected(project, index, ui);
  EXPECT_EQ(viewer.Entries().size(), 1u);
  EXPECT_EQ(ProjectFileBytes(), before);
}

TEST_F(ProjectDialogsTest, AProjectFileThatCannotBeWrittenKeepsTheEntry) {
  OpenProject();
  AddSource("a.tif", false);
  ProjectViewer viewer;
  viewer.Show(project, ui);
  std::filesystem::permissions(work / "P/p.prg", std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  EXPECT_THROW(viewer.DeleteSelected(project, 0, ui), CartozenError);
  EXPECT_EQ(viewer.Entries().size(), 1u);
  EXPECT_EQ(MapFileList(project).size(), 1u);
}

// --- Without an open project ----------------------------------------------------------------

TEST_F(ProjectDialogsTest, WithoutAProjectNothingIsListedAskedOrWritten) {
  // A project file exists on disk but is not open: none of the dialogs may touch it.
  const std::string file = work.Write("P/p.prg", "[MapFiles]\r\n/x/a.tif=0\r\n");
  const std::string image = work.Write("P/a.tif", "x");
  SaveMapINI(image, GeoReference{}, false);
  const std::string settingsBefore = ReadFileBytes(MapSourceSettingsFile(image));

  ProjectViewer viewer;
  viewer.Show(project, ui);
  EXPECT_TRUE(viewer.Entries().empty());
  viewer.DeleteSelected(project, 0, ui);

  MapOptions options(geo);
  ui.answers = {true, true, true};
  for (DistributedOption option :
       {DistributedOption::MapResolution, DistributedOption::ColorReduction,
        DistributedOption::Dithering}) {
    EXPECT_EQ(options.Distribute(option, project, ui), 0);
  }
  EXPECT_EQ(ui.messages, std::vector<std::string>(4, kNoProjectOpenedText));
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_EQ(ReadFileBytes(file), "[MapFiles]\r\n/x/a.tif=0\r\n");
  EXPECT_EQ(ReadFileBytes(MapSourceSettingsFile(image)), settingsBefore);
}

// --- Map Options ----------------------------------------------------------------------------

TEST(MapOptionsTest, FillingShowsTheOptionsAndItsControlEventsChangeNothing) {
  GeoReference geo;
  geo.MapResolution = 0b10110;
  geo.GeoReferencingType = 1;
  geo.ColorReduction = 4;
  geo.Dithering = 6;
  const GeoReference before = geo;
  MapOptions options(geo);
  MapOptionsControls shown;
  options.Fill([&](const MapOptionsControls& controls) {
    shown = controls;
    EXPECT_TRUE(options.Filling());
    // Setting the widgets raises their click events, as a toolkit does.
    for (int level = 0; level < kTileLevelCount; ++level) {
      if (controls.Resolution[level]) options.ResolutionClicked(level);
    }
    EXPECT_FALSE(options.GeoReferencingClicked(controls.GeoReferencingType));
    options.ColorReductionClicked(0);
    options.DitheringClicked(0);
  });
  EXPECT_FALSE(options.Filling());
  EXPECT_EQ(shown.Resolution, (std::array<bool, 5>{false, true, true, false, true}));
  EXPECT_EQ(shown.GeoReferencingType, 1);
  EXPECT_EQ(shown.ColorReduction, 4);
  EXPECT_EQ(shown.Dithering, 6);
  // Opened and closed without a click: all four options as they were.
  EXPECT_EQ(geo.MapResolution, before.MapResolution);
  EXPECT_EQ(geo.GeoReferencingType, before.GeoReferencingType);
  EXPECT_EQ(geo.ColorReduction, before.ColorReduction);
  EXPECT_EQ(geo.Dithering, before.Dithering);
}

TEST(MapOptionsTest, TheGuardIsClearedWhenFillingFails) {
  GeoReference geo;
  MapOptions options(geo);
  EXPECT_THROW(options.Fill([](const MapOptionsControls&) { throw CartozenError("widget"); }),
               CartozenError);
  EXPECT_FALSE(options.Filling());
  options.ResolutionClicked(0);
  EXPECT_EQ(geo.MapResolution, 31);
}

struct ResolutionClickCase {
  std::uint8_t before;
  std::vector<TileLevel> clicks;
  std::uint8_t after;
};

class ResolutionClickTest : public ::testing::TestWithParam<ResolutionClickCase> {};

TEST_P(ResolutionClickTest, EachClickFlipsItsBit) {
  GeoReference geo;
  geo.MapResolution = GetParam().before;
  MapOptions options(geo);
  for (TileLevel level : GetParam().clicks) options.ResolutionClicked(level);
  EXPECT_EQ(geo.MapResolution, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Clicks, ResolutionClickTest,
                         ::testing::Values(ResolutionClickCase{30, {0}, 31},     // 0.25° on
                                           ResolutionClickCase{30, {4}, 14},     // 4° off
                                           ResolutionClickCase{30, {1, 1}, 30},  // twice: as before
                                           ResolutionClickCase{0, {0, 1, 2, 3, 4}, 31},  // all on
                                           ResolutionClickCase{31, {0, 1, 2, 3, 4}, 0},  // all off
                                           ResolutionClickCase{0xE0, {2}, 0xE4},  // other bits kept
                                           ResolutionClickCase{
                                               30, {5, 7, 200}, 30}),  // no such box
                         [](const ::testing::TestParamInfo<ResolutionClickCase>& info) {
                           return "Case" + std::to_string(info.index);
                         });

TEST(MapOptionsTest, RadioGroupsTakeTheItemIndexAndIgnoreNoItem) {
  GeoReference geo;
  MapOptions options(geo);
  EXPECT_TRUE(options.GeoReferencingClicked(1));
  options.ColorReductionClicked(4);
  options.DitheringClicked(6);
  EXPECT_EQ(geo.GeoReferencingType, 1);
  EXPECT_EQ(geo.ColorReduction, 4);
  EXPECT_EQ(geo.Dithering, 6);
  EXPECT_FALSE(options.GeoReferencingClicked(-1));
  EXPECT_FALSE(options.GeoReferencingClicked(2));
  options.ColorReductionClicked(5);
  options.DitheringClicked(7);
  options.DitheringClicked(-1);
  EXPECT_EQ(geo.GeoReferencingType, 1);
  EXPECT_EQ(geo.ColorReduction, 4);
  EXPECT_EQ(geo.Dithering, 6);
}

// --- Distribute -----------------------------------------------------------------------------

struct DistributeCase {
  DistributedOption option;
  const char* question;
  const char* key;
  std::int32_t value;  // the in-memory value distributed
};

class DistributeTest : public ProjectDialogsTest,
                       public ::testing::WithParamInterface<DistributeCase> {};

TEST_P(DistributeTest, WritesOnlyTheOneKeyOfTheSourcesThatHaveSettings) {
  const DistributeCase& c = GetParam();
  OpenProject();
  const std::string a = AddSource("a.tif", true);
  const std::string b = AddSource("b.tif", false);
  const std::string d = AddSource("d.tif", true);
  geo.MapResolution = 5;
  geo.ColorReduction = 0;
  geo.Dithering = 2;
  const IniFile before(MapSourceSettingsFile(a));

  MapOptions options(geo);
  ui.answers = {true};
  EXPECT_EQ(options.Distribute(c.option, project, ui), 2);
  EXPECT_EQ(ui.questions, std::vector<std::string>{c.question});
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(FileExists(MapSourceSettingsFile(b)));  // none created

  for (const std::string& image : {a, d}) {
    const IniFile after(MapSourceSettingsFile(image));
    // Every key of the file but the distributed one is as it was.
    for (const char* section : {"GeoRef", "Options"}) {
      for (const std::string& key : before.ReadSectionKeys(section)) {
        const std::string expected = SameTextIgnoringCase(key, c.key)
                                         ? std::to_string(c.value)
                                         : before.ReadString(section, key, "?");
        ASSERT_EQ(after.ReadString(section, key, "missing"), expected) << key;
      }
      EXPECT_EQ(after.ReadSectionKeys(section), before.ReadSectionKeys(section));
    }
  }
}

TEST_P(DistributeTest, AnythingButYesWritesNothing) {
  OpenProject();
  const std::string a = AddSource("a.tif", true);
  const std::string bytes = ReadFileBytes(MapSourceSettingsFile(a));
  MapOptions options(geo);
  ui.answers = {false};
  EXPECT_EQ(options.Distribute(GetParam().option, project, ui), 0);
  EXPECT_EQ(ReadFileBytes(MapSourceSettingsFile(a)), bytes);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_P(DistributeTest, AnEmptyListSaysSoAfterTheQuestion) {
  OpenProject();
  MapOptions options(geo);
  ui.answers = {true};
  EXPECT_EQ(options.Distribute(GetParam().option, project, ui), 0);
  EXPECT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kNoFilesInProjectText});
}

TEST_F(ProjectDialogsTest, ASettingsFileThatCannotBeWrittenStopsTheDistribution) {
  OpenProject();
  const std::string a = AddSource("a.tif", true);
  const std::string b = AddSource("b.tif", true);
  const std::string bytes = ReadFileBytes(MapSourceSettingsFile(a));
  const std::string laterBytes = ReadFileBytes(MapSourceSettingsFile(b));
  std::filesystem::permissions(MapSourceSettingsFile(a), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  MapOptions options(geo);
  geo.Dithering = 6;
  ui.answers = {true};
  EXPECT_THROW(options.Distribute(DistributedOption::Dithering, project, ui), CartozenError);
  EXPECT_EQ(ReadFileBytes(MapSourceSettingsFile(a)), bytes);
  EXPECT_EQ(ReadFileBytes(MapSourceSettingsFile(b)), laterBytes);  // stopped at the first
}

TEST_F(ProjectDialogsTest, ASettingsFileThatCannotBeReadIsNotOverwritten) {
  if (::geteuid() == 0) GTEST_SKIP() << "every file is readable for root";
  OpenProject();
  const std::string a = AddSource("a.tif", true);
  const std::string bytes = ReadFileBytes(MapSourceSettingsFile(a));
  std::filesystem::permissions(MapSourceSettingsFile(a), std::filesystem::perms::owner_read,
                               std::filesystem::perm_options::remove);
  MapOptions options(geo);
  ui.answers = {true};
  EXPECT_THROW(options.Distribute(DistributedOption::Dithering, project, ui), CartozenError);
  std::filesystem::permissions(MapSourceSettingsFile(a), std::filesystem::perms::owner_read,
                               std::filesystem::perm_options::add);
  EXPECT_EQ(ReadFileBytes(MapSourceSettingsFile(a)), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Options, DistributeTest,
    ::testing::Values(DistributeCase{DistributedOption::MapResolution,
                                     "Distribute resolutions to all maps options in project ?",
                                     "MapResolution", 5},
                      DistributeCase{DistributedOption::ColorReduction,
                                     "Distribute color reduction to all maps options in project ?",
                                     "ColorReduction", 0},
                      DistributeCase{DistributedOption::Dithering,
                                     "Distribute dithering to all maps options in project ?",
                                     "Dithering", 2}),
    [](const ::testing::TestParamInfo<DistributeCase>& info) {
      return std::string(info.param.key);
    });

}  // namespace
}  // namespace cz
