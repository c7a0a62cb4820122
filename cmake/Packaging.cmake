# SPDX-License-Identifier: GPL-3.0-or-later
# Installation, desktop integration and the Debian package (`make package`, or `cpack`
# in the build folder).
include(GNUInstallDirs)

set(SORTEGGINA_APP_ID it.orvanet.Sorteggina)
set(SORTEGGINA_MAINTAINER "Orvanet - Quillard" CACHE STRING "Maintainer field of the Debian package")
# What the program loads only at run time, which dpkg-shlibdeps cannot see: the display
# plug-ins, the speech server and its Italian synthesiser, the fonts the window asks
# for, Qt's own Italian texts for its file and print dialogs, Qt SQL's SQLite driver that
# keeps the evenings. The linked libraries are added by dpkg-shlibdeps (libqt6svg6 also brings the SVG
# plug-ins that draw the icons); the players' phones' libraries are named too, so the package
# says what it serves with even where shlibdeps is off.
set(SORTEGGINA_RUNTIME_DEPENDS
    "qt6-qpa-plugins, speech-dispatcher, speech-dispatcher-espeak-ng, fonts-liberation, qt6-translations-l10n, libqt6httpserver6, libqt6websockets6, libqrencode4, libmosquitto1, libqt6multimedia6, libsndfile1, libpulse0, libqt6sql6-sqlite")
# Festival's Italian voice, a second Italian voice for speech-dispatcher besides espeak-ng's.
set(SORTEGGINA_RUNTIME_RECOMMENDS "festvox-italp16k, speech-dispatcher-festival")

# Debian keeps games in /usr/games, and the package's section is games.
install(TARGETS sorteggina RUNTIME DESTINATION games)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/sorteggina.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${SORTEGGINA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/assets/icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME sorteggina.svg)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icon${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME sorteggina.png)
endforeach()

# The manual page and the Debian changelog are installed compressed, without the
# gzip time stamp so that the same sources give the same package.
set(packaging_build_dir ${CMAKE_BINARY_DIR}/packaging)
set(compressed_docs)
foreach(doc "sorteggina.6:sorteggina.6" "changelog:changelog.Debian")
  string(REPLACE ":" ";" doc ${doc})
  list(GET doc 0 source_name)
  list(GET doc 1 installed_name)
  add_custom_command(
    OUTPUT ${packaging_build_dir}/${installed_name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/${source_name}
            ${packaging_build_dir}/${installed_name}
    COMMAND gzip -9nf ${packaging_build_dir}/${installed_name}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${source_name}
    VERBATIM)
  list(APPEND compressed_docs ${packaging_build_dir}/${installed_name}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed_docs})
install(FILES ${packaging_build_dir}/sorteggina.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${packaging_build_dir}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sorteggina)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorteggina)
set(CPACK_PACKAGE_VENDOR Orvanet)
set(CPACK_PACKAGE_CONTACT "${SORTEGGINA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "caller's board for tombola that speaks the numbers in Italian")
set(CPACK_PACKAGE_DESCRIPTION "Sorteggina is the caller's board for tombola, the Italian 90-number game.
It shows the tabellone with its six cartelle, draws the numbers at random or
takes them from a real bag, and calls every number aloud in Italian through
speech-dispatcher, with its meaning in the Neapolitan smorfia on screen. It
checks the board's own cartelle for ambo, terno, quaterna, cinquina and
tombola, and brings back a game interrupted by a restart.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# A Debian revision: this is the first packaging of upstream 2.0.1, and lintian looks
# for changelog.Debian.gz only in packages that have one.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.orvanet.it/ftp/?tombola")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${SORTEGGINA_RUNTIME_DEPENDS}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "${SORTEGGINA_RUNTIME_RECOMMENDS}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
