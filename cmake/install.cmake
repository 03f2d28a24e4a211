# `cmake --install`: the two programs, the desktop entry, its icons, the
# AppStream metainfo, the manual pages and the catalogue the tool reads by
# default, in the usual places under the prefix.  Nothing installed refers to
# the build tree: the tool finds its catalogue from its own folder.
include(GNUInstallDirs)

set(VOSTRA_APP_ID org.vostra.Vostra)
set(dist ${CMAKE_SOURCE_DIR}/dist)

install(TARGETS vostra vostra-problems RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${VOSTRA_CATALOGUE_TXT} DESTINATION ${CMAKE_INSTALL_DATADIR}/vostra RENAME catalogue.txt)
file(RELATIVE_PATH installed_catalogue ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/vostra/catalogue.txt)
target_compile_definitions(vostra_compiler PRIVATE VOSTRA_INSTALLED_CATALOGUE="${installed_catalogue}")

install(FILES LICENSE NOTICE README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${dist}/${VOSTRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${dist}/${VOSTRA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256 512)
  install(FILES ${dist}/icons/vostra-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${VOSTRA_APP_ID}.png)
endforeach()
install(FILES ${dist}/icons/vostra.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VOSTRA_APP_ID}.svg)

# The manual pages carry the version.
foreach(page vostra.6 vostra-problems.1)
  configure_file(${dist}/man/${page}.in ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  install(FILES ${CMAKE_BINARY_DIR}/man/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
