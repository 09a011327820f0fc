#include "platform/BinaryFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/Error.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::TempFolder;

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const CartozenError& error) {
    return error.what();
  }
  return "no error";
}

TEST(BinaryFileTest, ReadsAndWritesAtAnyPositionAndFindsNamesInAnyCase) {
  TempFolder temp;
  temp.Write("Tiles/2_1.gif", "0123456789");
  BinaryFile file(temp / "TILES/2_1.GIF", BinaryFile::Mode::ReadWrite);
  EXPECT_EQ(file.Size(), 10u);
  file.Seek(8);
  file.Write("ABCD", 4);
  EXPECT_EQ(file.Size(), 12u);
  char bytes[5] = {};
  file.Seek(6);
  EXPECT_EQ(file.ReadSome(bytes, 5), 5u);
  EXPECT_EQ(std::string(bytes, 5), "67ABC");
  EXPECT_EQ(file.ReadSome(bytes, 5), 1u);  // short only at the end
  EXPECT_EQ(file.Position(), 12u);
}

TEST(BinaryFileTest, FailuresNameTheFile) {
  TempFolder temp;
  const std::string existing = temp.Write("a.MAP", "xy");
  EXPECT_EQ(MessageOf([&] { BinaryFile(temp / "missing.MAP", BinaryFile::Mode::Read); }),
            "Unable to open file '" + temp / "missing.MAP" + "'");
  EXPECT_EQ(MessageOf([&] { BinaryFile(temp / "no/such/b.MAP", BinaryFile::Mode::Create); }),
            "Unable to write to " + temp / "no/such/b.MAP");
  EXPECT_EQ(MessageOf([&] { BinaryFile(existing, BinaryFile::Mode::CreateNew); }),
            "Unable to write to " + existing);
  EXPECT_EQ(MessageOf([&] { BinaryFile(temp.Path(), BinaryFile::Mode::Read); }),
            "Unable to open file '" + temp.Path() + "'");
  EXPECT_EQ(MessageOf([&] {
              BinaryFile file(existing, BinaryFile::Mode::Read);
              char bytes[3];
              file.ReadExact(bytes, 3);
            }),
            "Unable to read from " + existing + ": the file ends too early");
  EXPECT_EQ(MessageOf([&] {
              BinaryFile file(existing, BinaryFile::Mode::Read);
              file.Write("z", 1);
            }),
            "Unable to write to " + existing);
}

}  // namespace
}  // namespace cz
