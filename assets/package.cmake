# The Debian package, made by CPack's DEB generator from the install rules
# of the build (so it holds exactly what `make install` installs, under
# /usr), with the version of the top CMakeLists.txt and the dependencies
# dpkg-shlibdeps finds for the two programs. `make package` runs it over
# the Release build:
#
#   cpack --config build/CPackConfig.cmake -B OUTDIR
#     -> OUTDIR/tempyra_<version>_<arch>.deb
# Installing never builds: `make install` and `make package` build first,
# and the package test in `make test` packs the build it runs in without
# rebuilding it.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tempyra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tempyra developers")
set(CPACK_PACKAGE_CONTACT "The Tempyra developers <developers@tempyra.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Programs without their symbol tables, as a distribution ships them.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tempyra_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tempyra.example")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The desktop's opener shows the help documents and plays a row's file.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tempo (BPM) analyser for MP3 files, for disc jockeys")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Tempyra measures the tempo (beats per minute) of MP3 files with an MPEG
audio decoder and tempo engine of its own, and writes the tempo into the
files' names or their ID3v2 TBPM tags.

The desktop window lists a folder or an audio CD, analyses the selected
files, folds tempi into a minimum and maximum, takes a tapped tempo and
renames or copies files with the tempo in the name. The tempyra-cli
command does the same analysis for batch work, as text, CSV or JSON.")

include(CPack)
