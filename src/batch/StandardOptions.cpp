#include "batch/StandardOptions.h"

#include "platform/ProgramVersion.h"

namespace cz {

StandardOption StandardOptionOf(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return StandardOption::None;
  const std::string& first = arguments.front();
  if (first == "--help" || first == "-h") return StandardOption::Help;
  if (first == "--version") return StandardOption::Version;
  return StandardOption::None;
}

std::string UsageText() {
  return "Usage: cartozen2 [SWITCH [ARGUMENT]...]...\n"
         "Turns raster aeronautical charts into EFIS moving-map files. Without switches it\n"
         "opens its window; with switches it runs them without a person and closes itself.\n"
         "Switch letters may be lower case.\n"
         "\n"
         "  /P folder             project folder; a bare name is one in the program folder\n"
         "  /S name               chart in the project's \"Map sources\" folder\n"
         "                        (with /E: the folder of the web-mercator tile tree)\n"
         "  /X lat lon dlat dlon  top-left corner of the chart and the degrees it spans\n"
         "                        southward and eastward\n"
         "  /G                    in place of /X: the chart's own georeference (GeoTIFF)\n"
         "  /T fit                with /G, how control points are fitted: 1, 2 or 3\n"
         "                        (polynomial order) or spline\n"
         "  /F                    after /X or /G: fit the grid to the printed graticule\n"
         "                        before the tiles; its RMS and flagged points go to\n"
         "                        standard error\n"
         "  /B n s w e            the chart's map area (coverage): a box of north, south,\n"
         "                        west and east degrees, negative south and west\n"
         "  /A                    the chart's map area from its transparency (alpha 0 or\n"
         "                        nodata); with /E: transparent and missing web tiles keep\n"
         "                        what charts left in the tiles\n"
         "  /R degrees            tile resolution: 0.25, 0.5, 1, 2 or 4; repeat for more\n"
         "  /D                    delete the tiles of the project of an earlier /P\n"
         "  /M                    build the EFIS map files at the end\n"
         "  /N                    load and georeference only, then stay open\n"
         "  /O ext                map-file extension in place of MAP\n"
         "  /E lat lon z1 z2 z3 z4 z5\n"
         "                        import web-mercator tiles for the 8 x 8 degree map cell\n"
         "  /C lat lon            with /P: the batch of the 8 x 8 degree map cell with that\n"
         "                        north-west corner, clipped to it, then its map file\n"
         "  /J                    with /P: the job list, one /C command line per map cell\n"
         "                        (run it with GNU parallel or a Slurm array)\n"
         "  -h, --help            print this help and exit\n"
         "  --version             print the version and exit\n"
         "\n"
         "Example: cartozen2 /P Alps /S alps.tif /X 48 6 2 4 /R 0.5 /R 1 /M\n"
         "A chart with a map area is tiled up to its edge, cells it only partly covers\n"
         "included, and paints only its map: later runs lie over earlier ones.\n"
         "\n"
         "The program folder is the program's own folder, or ~/.config/Cartozen2/ for an\n"
         "installed copy. A run writes its last problem to Error.txt there and exits with\n"
         "status 1; with no problem there is no Error.txt and the status is 0.\n"
         "See cartozen2(1) for more.\n";
}

std::string VersionText() {
  return std::string("cartozen2 ") + kProgramVersion + "\n";
}

std::optional<int> AnswerStandardOption(const std::vector<std::string>& arguments, std::FILE* out) {
  const StandardOption option = StandardOptionOf(arguments);
  if (option == StandardOption::None) return std::nullopt;
  const std::string text = option == StandardOption::Help ? UsageText() : VersionText();
  const bool written =
      std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0;
  if (written) return 0;
  std::fputs("cartozen2: cannot write to standard output\n", stderr);
  return 1;
}

}  // namespace cz
