# The Debian package (cpack -G DEB, run by scripts/package): what `cmake --install` puts under
# /usr, plus the changelog and copyright Debian asks for. dpkg-shlibdeps works out the
# library dependencies from the binaries.
include(GNUInstallDirs)

set(TARNWERK_MAINTAINER "Tarnwerk developers <tarnwerk@tarnwerk.invalid>" CACHE STRING
    "Maintainer field of the Debian package")

# The changelog entry of this version, dated by the release date.
execute_process(COMMAND date -u -R -d "${TARNWERK_RELEASE_DATE} 12:00:00"
                OUTPUT_VARIABLE TARNWERK_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
set(package_doc ${PROJECT_BINARY_DIR}/package-doc)
configure_file(${PROJECT_SOURCE_DIR}/resources/linux/changelog.in ${package_doc}/changelog @ONLY)
find_program(GZIP_EXECUTABLE gzip)
if(GZIP_EXECUTABLE)
  add_custom_command(OUTPUT ${package_doc}/changelog.gz
    COMMAND ${GZIP_EXECUTABLE} -9nc changelog > changelog.gz
    WORKING_DIRECTORY ${package_doc}
    DEPENDS ${package_doc}/changelog)
  add_custom_target(tarnwerk_changelog ALL DEPENDS ${package_doc}/changelog.gz)
  install(FILES ${package_doc}/changelog.gz ${PROJECT_SOURCE_DIR}/resources/linux/copyright
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarnwerk)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwerk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TARNWERK_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hide a file inside a picture and get it back out")
# CPack puts the summary first and indents these lines; an empty line becomes " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tarnwerk writes a data file, optionally compressed and encrypted under a
passphrase, into the lowest 1, 2 or 4 bits of the picture bytes of an
uncompressed BMP or RAW picture, and gets it back out. It comes as a Qt
desktop program (tarnwerk) and a command-line tool (tarnwerk-cli).

It hides a file from a casual look, not from an examiner; see the SECURITY
section of tarnwerk-cli(1).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TARNWERK_HOME_PAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xdg-open and xdg-email open the help, the viewer and the mail program.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
