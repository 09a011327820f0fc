// Seeds of the targets that read text or small structures: the command line (arguments split
// at NUL), Palette.txt, tile names, world files, and the grid layout's georeference record.
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "Seeds.h"

namespace cz::seeds {
namespace {

std::string Arguments(const std::vector<std::string>& arguments) {
  std::string out;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) out += '\0';
    out += arguments[i];
  }
  return out;
}

// The record the grid-layout target reads, field by field in its order.
struct GridRecord {
  double TopLatitude = 48, LeftLongitude = 6;
  std::int32_t TopX = 100, TopY = 100;
  double BottomLatitude = 45, RightLongitude = 10;
  std::int32_t BottomX = 2100, BottomY = 1600;
  std::int32_t SkewLeft = 0, SkewRight = 0;
  std::uint8_t Method = 1;
  std::int32_t NLon = 4, NLat = 3;
  double Scale = 0.5;
  std::int32_t OffsetX = -10, OffsetY = -10;
  struct Placed {
    std::uint8_t Column, Row;
    std::int32_t X, Y;
  };
  std::vector<Placed> Points;
};

template <typename T>
void Put(std::string& out, T value) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  out.append(bytes, sizeof(T));
}

std::string GridBytes(const GridRecord& g) {
  std::string out;
  Put(out, g.TopLatitude);
  Put(out, g.LeftLongitude);
  Put(out, g.TopX);
  Put(out, g.TopY);
  Put(out, g.BottomLatitude);
  Put(out, g.RightLongitude);
  Put(out, g.BottomX);
  Put(out, g.BottomY);
  Put(out, g.SkewLeft);
  Put(out, g.SkewRight);
  Put(out, g.Method);
  Put(out, g.NLon);
  Put(out, g.NLat);
  Put(out, g.Scale);
  Put(out, g.OffsetX);
  Put(out, g.OffsetY);
  for (const GridRecord::Placed& p : g.Points) {
    Put(out, p.Column);
    Put(out, p.Row);
    Put(out, p.X);
    Put(out, p.Y);
  }
  return out;
}

}  // namespace

void MakeCommandLineSeeds(Corpus& corpus) {
  const auto write = [&](const std::string& name, const std::vector<std::string>& arguments) {
    corpus.Write(name, Arguments(arguments));
  };
  write("lower-case-switches", {"/p", "Alps", "/s", "chart.bmp", "/g", "/r", "4", "/m"});
  write("chart-georeference", {"/P", "Proj", "/S", "a.tif", "/G", "/R", "0.25", "/N"});
  write("every-resolution", {"/P", "x", "/S", "y", "/X", "50", "-5", "2", "3", "/R", "0.25", "/R",
                             "0.5", "/R", "1", "/R", "2", "/R", "4"});
  write("resolution-refused", {"/R", "0.3", "/R", "-1", "/R", ""});
  write("extension", {"/P", "x", "/O", "EFS", "/M"});
  write("extension-refused", {"/O", "a/b", "/O", "*", "/O", ""});
  write("import-zooms", {"/E", "50.5", "-4.25", "8", "9", "10", "11", "12", "/P", "Imports"});
  write("import-refused", {"/E", "90", "180", "0", "99", "-1", "a"});
  write("position-comma-decimals", {"/X", "48,5", "6,25", "1e-3", "-0"});
  write("windows-paths", {"/P", "C:\\Charts\\Alps", "/S", "..\\up.bmp"});
  write("switch-without-argument", {"/P"});
  write("glued-argument", {"/Pfolder", "/S"});
  write("slashes", {"/", "//", "/ P"});
  write("non-ascii",
        {"/P", "Z\xC3\xBCrich\xC2\xB0", "/S", "\xD0\xBA\xD0\xB0\xD1\x80\xD1\x82\xD0\xB0.tif"});
  write("empty-arguments", {"", "", "", "/M"});
  write("many-arguments", std::vector<std::string>(300, "/N"));
}

void MakeTilePaletteSeeds(Corpus& corpus) {
  std::string full = "Palette\r\n256 colours\r\n256\r\n";
  for (int i = 0; i < 256; ++i) {
    full += std::to_string(i) + " " + std::to_string(255 - i) + " " + std::to_string(i * 7 % 256) +
            "\r\n";
  }
  corpus.Write("full-256.txt", full);
  std::string over = "a\nb\n300\n";
  for (int i = 0; i < 300; ++i) over += std::to_string(i % 256) + ",0,0\n";
  corpus.Write("declared-300.txt", over);
  corpus.Write("negative-count.txt", "a\nb\n-5\n1 2 3\n");
  corpus.Write("plus-count.txt", "a\nb\n  +2\n1 2 3\n4 5 6\n");
  corpus.Write("count-with-text.txt", "a\nb\n3 colours\n1 2 3\n");
  corpus.Write("count-huge.txt", "a\nb\n99999999999999999999\n1 2 3\n");
  corpus.Write("values-overflow.txt", "a\nb\n3\n999 1000 65536\n256,257,258\n4294967297 -1 +7\n");
  corpus.Write("separators.txt", "a\nb\n4\n1;2;3\nx1 y2 z3\n\t4\t5\t6\n7..8..9\n");
  corpus.Write("missing-lines.txt", "a\nb\n5\n10 20 30\n");
  corpus.Write("header-only.txt", "a\n");
  corpus.Write("empty.txt", "");
  corpus.Write("mixed-line-ends.txt", "a\rb\r\n2\n\r1 1 1\r\n2 2 2");
}

void MakeTileNameSeeds(Corpus& corpus) {
  const char* names[] = {"1_259199.GIF",
                         "1_259200.GIF",
                         "2_64799.GIF",
                         "3_16199.gif",
                         "3_16200.GIF",
                         "2_0",
                         "4_-0.GIF",
                         "2_2147483647.GIF",
                         "2_2147483648.GIF",
                         "2_-2147483648.GIF",
                         "5_1.GIF",
                         "0_12.GIF.bak",
                         "3_1 2.GIF",
                         "3_0x10.GIF",
                         "1__5.GIF",
                         "",
                         "2_00000000000000000007.GIF",
                         "2_+-7.GIF",
                         "2_7..GIF",
                         "4_1\xC2\xB0.GIF"};
  int n = 0;
  for (const char* name : names) corpus.Write("generated-" + std::to_string(++n), name);
}

void MakeWorldFileSeeds(Corpus& corpus) {
  corpus.Write("rotated", "0.001\n0.0002\n0.0003\n-0.001\n4\n53\n");
  corpus.Write("scientific", "1.953125E-3\n0\n0\n-9.765625e-4\n4.0e0\n5.35e+1\n");
  corpus.Write("comma-decimals", "0,001\n0\n0\n-0,001\n4,2\n53,5\n");
  corpus.Write("hex-floats", "0x1p-10\n0\n0\n-0x1p-10\n0x4\n0x35\n");
  corpus.Write("blank-lines", "\n\n\n\n\n\n");
  corpus.Write("seven-lines", "0.01\n0\n0\n-0.01\n4\n53\n9999\n");
  corpus.Write("missing-lines", "0.01\n0\n");
  corpus.Write("nan-inf", "nan\ninf\n-inf\n-nan\ninfinity\nNaN\n");
  corpus.Write("south-east", "0.01\n0\n0\n-0.01\n170\n-40\n");
  corpus.Write("across-dateline", "0.01\n0\n0\n-0.01\n179.99\n10\n");
  corpus.Write("south-up", "0.01\n0\n0\n0.01\n4\n50\n");
  corpus.Write("spaces-tabs", "  0.01\t\n\t0\n 0 \n-0.01 \n\t4\t\n53   \n");
  corpus.Write("at-the-pole", "0.001\n0\n0\n-0.001\n0\n90\n");
  corpus.Write("beyond-the-pole", "0.001\n0\n0\n-0.001\n-200\n95\n");
  corpus.Write("tiny-pixels", "1e-12\n0\n0\n-1e-12\n4\n53\n");
}

void MakeGridLayoutSeeds(Corpus& corpus) {
  const auto write = [&](const std::string& name, const std::function<void(GridRecord&)>& change) {
    GridRecord record;
    change(record);
    corpus.Write(name, GridBytes(record));
  };
  write("alps-manual-placed", [](GridRecord& g) {
    g.Points = {{0, 0, 100, 100}, {4, 3, 2100, 1600}, {2, 1, 1150, 700}, {63, 63, -5, 99999}};
  });
  write("lambert-63-steps", [](GridRecord& g) {
    g.Method = 0;
    g.TopLatitude = 70;
    g.LeftLongitude = -30;
    g.BottomLatitude = 7;
    g.RightLongitude = 33;
    g.BottomX = 60000;
    g.BottomY = 60000;
    g.SkewLeft = 50;
    g.SkewRight = -50;
    g.NLon = g.NLat = 63;
  });
  write("steps-beyond-grid", [](GridRecord& g) {
    g.NLon = 1000;
    g.NLat = -5;
  });
  write("nan-corners", [](GridRecord& g) {
    g.TopLatitude = kNaN;
    g.RightLongitude = kNaN;
  });
  write("scale-infinite", [](GridRecord& g) { g.Scale = kInf; });
  write("scale-zero-negative-offsets", [](GridRecord& g) {
    g.Scale = 0;
    g.OffsetX = INT32_MIN;
    g.OffsetY = INT32_MAX;
  });
  write("scale-negative", [](GridRecord& g) { g.Scale = -3; });
  write("corners-equal", [](GridRecord& g) {
    g.BottomLatitude = g.TopLatitude;
    g.RightLongitude = g.LeftLongitude;
    g.BottomX = g.TopX;
    g.BottomY = g.TopY;
  });
  write("pixel-extremes", [](GridRecord& g) {
    g.TopX = INT32_MIN;
    g.TopY = INT32_MIN;
    g.BottomX = INT32_MAX;
    g.BottomY = INT32_MAX;
    g.SkewLeft = INT32_MAX;
    g.SkewRight = INT32_MIN;
  });
  write("method-unknown", [](GridRecord& g) { g.Method = 7; });
  write("south-east", [](GridRecord& g) {
    g.TopLatitude = -30;
    g.LeftLongitude = 150;
    g.BottomLatitude = -40;
    g.RightLongitude = 170;
  });
  write("across-dateline-lambert", [](GridRecord& g) {
    g.Method = 0;
    g.TopLatitude = 10;
    g.LeftLongitude = 175;
    g.BottomLatitude = 0;
    g.RightLongitude = -175;
  });
  write("huge-angles", [](GridRecord& g) {
    g.TopLatitude = 1e300;
    g.LeftLongitude = -1e300;
    g.BottomLatitude = 1e-300;
  });
}

}  // namespace cz::seeds
