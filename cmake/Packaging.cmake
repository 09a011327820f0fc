# The Debian package, built by CPack from the install rules (scripts/package.sh):
#   cpack -G DEB  ->  cartozen2_<version>_<arch>.deb, installing under /usr.

set(CARTOZEN_PACKAGE_MAINTAINER "Cartozen 2 developers <maintainers@cartozen.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cartozen2)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Cartozen 2 developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "turn raster aeronautical charts into moving-map files for EFIS displays")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CARTOZEN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the shared libraries the programs link (dpkg-shlibdeps). Qt's platform
# plugins, which the program loads at run time, are part of libqt6gui6, which it links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The summary above is the synopsis line; this is the extended description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Cartozen 2 ties a scanned or exported aeronautical chart (TIFF, JPEG or BMP)
to latitude and longitude, resamples it onto a fixed world grid of GIF tiles at
0.25, 0.5, 1, 2 and 4 degrees per tile, and packs the tiles into one EFIS map
file per 8 x 8 degree cell. It also imports web-mercator PNG tile trees and
views its own map files.
.
The desktop program works in projects; the same pipeline runs without a person
or a display from the command line (cartozen2 /P /S /X /R /M), for scripts.
The package also holds efismap-info, which checks map files, and efismap-view,
which renders the map viewer's picture of a project to a PNG file.")

include(CPack)
