# The Debian package of everything installed: `cpack --preset package` after a build of the
# package preset, or tools/package.sh for the whole of it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orma)
set(CPACK_PACKAGE_VENDOR KALMIRON)
# A Debian version needs no fourth number for a release without one: 1.0.0.0 is 1.0.0.
set(CPACK_PACKAGE_VERSION
    ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
if(PROJECT_VERSION_TWEAK)
  string(APPEND CPACK_PACKAGE_VERSION .${PROJECT_VERSION_TWEAK})
endif()
set(CPACK_PACKAGE_CONTACT "ORMA developers <orma@kalmiron.ru>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "read, show and print the measurements of IR pyrometers")
set(CPACK_PACKAGE_DESCRIPTION [=[
ORMA receives the readings of a handheld infrared pyrometer on a serial port
(usually a USB adapter): it downloads the readings stored in the instrument's
memory, or logs them continuously while the instrument is in its
data-collection mode. Every reading becomes a table row with its time,
temperature, emissivity and measuring mode. The table can be saved, handed to a
spreadsheet, printed and plotted. ORMA only listens on the line; it never
writes to the instrument.

orma-cli does the same from a shell, without a display: it downloads,
converts, computes statistics and plots.

The user interface is in Russian. The package also holds orma-instrument, a
simulated pyrometer on a pseudo-terminal for trying the program without an
instrument.]=])
# The changelog's newest entry names the version being packaged; a release that forgot it
# would ship a changelog that speaks of an older one.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG changelogHead LIMIT_COUNT 1)
if(NOT changelogHead MATCHES "^orma \\(${CPACK_PACKAGE_VERSION}\\) ")
  message(FATAL_ERROR "CHANGELOG's first entry is not of version ${CPACK_PACKAGE_VERSION}")
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugins at run time, where no library lookup sees them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# xdg-mime finds the spreadsheet application the table is handed to; Qt's translations make
# its dialogs and buttons Russian (apt installs what a package recommends).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libreoffice-calc")
set(CPACK_STRIP_FILES ON)
# The logging service's user is made at installation, not only at the next boot.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
