# Desktop integration and the Debian package (`make package`, or `cpack` in the build folder).
include(GNUInstallDirs)

set(SORTEGGINA_APP_ID it.orvanet.Sorteggina)
set(SORTEGGINA_MAINTAINER "Orvanet - Quillard" CACHE STRING "Maintainer field of the Debian package")

install(FILES ${PROJECT_SOURCE_DIR}/packaging/sorteggina.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${SORTEGGINA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/assets/logo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME sorteggina.svg)
foreach(size 32 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/logo${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME sorteggina.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorteggina)
set(CPACK_PACKAGE_VENDOR Orvanet)
set(CPACK_PACKAGE_CONTACT "${SORTEGGINA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "caller's board for tombola that speaks the numbers in Italian")
set(CPACK_PACKAGE_DESCRIPTION "Sorteggina is the caller's board for tombola, the Italian 90-number game.
It shows the tabellone with its six cartelle, draws the numbers at random or takes
them from a real bag, speaks every number in Italian with its smorfia meaning, and
checks the board's cartelle for ambo, terno, quaterna, cinquina and tombola.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.orvanet.it/ftp/?tombola")
# The linked Qt libraries are found by dpkg-shlibdeps (libqt6svg6 also brings the SVG
# plug-ins that draw the icons); what is only loaded at run time is named here: the
# display plug-ins, the speech plug-in and its synthesiser, the fonts the window asks for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-speech-speechd-plugin, speech-dispatcher, speech-dispatcher-espeak-ng, fonts-liberation")
include(CPack)
