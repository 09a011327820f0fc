// gif-check FILE...: decodes each GIF image as the tile loader does and prints its size.
// Exit status 0 when every file decodes, 1 when one does not, 2 on misuse. The crash test
// uses it to prove that every tile under a final name is whole.

#include <cstdio>

#include "imaging/GifImageDecoder.h"
#include "imaging/Raster32.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gif-check FILE...\n");
    return 2;
  }
  bool allDecoded = true;
  for (int i = 1; i < argc; ++i) {
    try {
      const cz::Raster32 image = cz::DecodeGifImage(cz::ReadWholeFile(argv[i]), argv[i]);
      std::printf("%s: %d x %d\n", argv[i], image.Width(), image.Height());
    } catch (const cz::CartozenError& error) {
      std::fprintf(stderr, "gif-check: %s\n", error.what());
      allDecoded = false;
    }
  }
  return allDecoded ? 0 : 1;
}
