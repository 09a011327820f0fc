// make-corpora: writes the generated seeds of every fuzz target into its corpus folder.
//
//   make-corpora CORPUS_ROOT [TARGET...]
//
// CORPUS_ROOT is fuzz/corpus; without targets, all of them. Seeds keep fixed names, so a run
// rewrites the generator's own seeds and leaves every other file (found crashes) alone.
#include <cstdio>
#include <exception>
#include <map>
#include <string>

#include "Seeds.h"

int main(int argc, char** argv) {
  using namespace cz::seeds;
  const std::map<std::string, void (*)(Corpus&)> generators = {
      {"bmp", MakeBmpSeeds},
      {"command_line", MakeCommandLineSeeds},
      {"existing_tile", MakeExistingTileSeeds},
      {"geotiff", MakeGeoTiffSeeds},
      {"giftile", MakeGifTileSeeds},
      {"gridlayout", MakeGridLayoutSeeds},
      {"jpeg", MakeJpegSeeds},
      {"mapfile", MakeMapFileSeeds},
      {"mapview", MakeMapFileSeeds},
      {"pngtile", MakePngSeeds},
      {"tiff", MakeTiffSeeds},
      {"tile_palette", MakeTilePaletteSeeds},
      {"tilename", MakeTileNameSeeds},
      {"worldfile", MakeWorldFileSeeds},
  };
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS_ROOT [TARGET...]\n", argv[0]);
    return 2;
  }
  std::map<std::string, void (*)(Corpus&)> chosen;
  for (int i = 2; i < argc; ++i) {
    const auto found = generators.find(argv[i]);
    if (found == generators.end()) {
      std::fprintf(stderr, "%s: no generator for target %s\n", argv[0], argv[i]);
      return 2;
    }
    chosen.insert(*found);
  }
  if (chosen.empty()) chosen = generators;
  try {
    for (const auto& [target, generate] : chosen) {
      Corpus corpus(argv[1], target);
      generate(corpus);
      std::printf("%-14s %3d seeds\n", target.c_str(), corpus.Count());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
  return 0;
}
