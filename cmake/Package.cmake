# Installation and the Debian package.
#
#   cmake --install build/release --prefix /some/where   the programs and the desktop files
#   cpack --config build/release/CPackConfig.cmake        a .deb in the current folder
#
# The desktop files all carry the application's id, so the desktop can tie the running window,
# its entry, its icon, its metainfo and the project file type together.
include(GNUInstallDirs)

set(VESKEL_APP_ID "org.example.Veskel")
set(VESKEL_VERSION "0.1.0")
set(VESKEL_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/desktop)

# The designer tells the desktop which entry its windows belong to.
if(TARGET veskel)
  target_compile_definitions(veskel PRIVATE VESKEL_APP_ID="${VESKEL_APP_ID}")
endif()

foreach(program veskel veskel-render)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${VESKEL_DESKTOP_DIR}/${VESKEL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VESKEL_DESKTOP_DIR}/${VESKEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VESKEL_DESKTOP_DIR}/${VESKEL_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${VESKEL_APP_ID}.xml)
# hicolor/<size>/apps/<id>.png and hicolor/scalable/apps/<id>.svg, as tools/icon draws them.
install(DIRECTORY ${VESKEL_DESKTOP_DIR}/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${CMAKE_SOURCE_DIR}/docs/veskel.1 ${CMAKE_SOURCE_DIR}/docs/veskel-render.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veskel)
set(CPACK_PACKAGE_VERSION ${VESKEL_VERSION})
set(CPACK_PACKAGE_VENDOR "Brannock")
set(CPACK_PACKAGE_CONTACT "Veskel developers <veskel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "banner designer with a live preview and a command-line renderer")
set(CPACK_PACKAGE_DESCRIPTION
  "Veskel composes 350 x 20 banners (gradient, tile pattern, your own picture, edge glow,\n"
  "highlight layer, outlined pixel-font text, border) in a window of glass controls, keeps\n"
  "designs in .vzk project files and exports PNG, JPEG, GIF and BMP. veskel-render renders\n"
  "banners from scripts without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://veskel.example.org/")
# The libraries come from what the programs really link (dpkg-shlibdeps); the fonts that the
# controls ask for by name are found through fontconfig at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine, fonts-liberation2, fonts-dejavu-core, qt6-wayland")
include(CPack)
