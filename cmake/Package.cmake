# Installation and the Debian package.
#
#   cmake --install build/release --prefix /some/where   the programs and the desktop files
#   cpack --config build/release/CPackConfig.cmake        a .deb in the current folder
#
# The desktop files all carry the application's id (VESKEL_APP_ID, set beside the version in
# CMakeLists.txt), so the desktop can tie the running window, its entry, its icon, its metainfo
# and the project file type together.
include(GNUInstallDirs)

set(VESKEL_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/desktop)
set(VESKEL_MAINTAINER "The Veskel developers <veskel@users.noreply.github.com>")
set(VESKEL_HOMEPAGE "https://github.com/veskel/veskel")
set(VESKEL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})

foreach(program veskel veskel-render veskel-serve)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # The compilers' version strings (.comment) are no use to anyone running the program.
    install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment
                                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
                                  COMMAND_ERROR_IS_FATAL ANY)")
  endif()
endforeach()

# Files that carry the version are written from templates; manual pages and the changelog are
# installed compressed (gzip -9n: no name or time stamp, so the package builds reproducibly).
set(generated ${CMAKE_BINARY_DIR}/package)
configure_file(${VESKEL_DESKTOP_DIR}/${VESKEL_APP_ID}.metainfo.xml.in ${generated}/${VESKEL_APP_ID}.metainfo.xml @ONLY)
configure_file(${VESKEL_DESKTOP_DIR}/debian/changelog.in ${generated}/changelog @ONLY)
set(compressed "")
foreach(source docs/veskel.1 docs/veskel-render.1 docs/veskel-serve.1 changelog)
  get_filename_component(name ${source} NAME)
  if(source STREQUAL "changelog")
    set(plain ${generated}/changelog)
  else()
    configure_file(${CMAKE_SOURCE_DIR}/${source} ${generated}/${name} @ONLY)
    set(plain ${generated}/${name})
  endif()
  add_custom_command(OUTPUT ${plain}.gz COMMAND gzip -9nf -k ${plain} DEPENDS ${plain} VERBATIM)
  list(APPEND compressed ${plain}.gz)
endforeach()
add_custom_target(veskel_package_files ALL DEPENDS ${compressed})
foreach(program veskel veskel-render veskel-serve)
  if(TARGET ${program})
    add_dependencies(${program} veskel_package_files)
  endif()
endforeach()

install(FILES ${VESKEL_DESKTOP_DIR}/${VESKEL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${generated}/${VESKEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VESKEL_DESKTOP_DIR}/${VESKEL_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${VESKEL_APP_ID}.xml)
# hicolor/<size>/apps/<id>.png and hicolor/scalable/apps/<id>.svg, as tools/icon draws them.
install(DIRECTORY ${VESKEL_DESKTOP_DIR}/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${generated}/veskel.1.gz ${generated}/veskel-render.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET veskel-serve)
  install(FILES ${generated}/veskel-serve.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # The socket-activated, sandboxed service; it is not enabled by installing the package.
  install(FILES ${CMAKE_SOURCE_DIR}/serve/deploy/systemd/veskel-serve.socket
                ${CMAKE_SOURCE_DIR}/serve/deploy/systemd/veskel-serve.service
          DESTINATION lib/systemd/system)
endif()
# A statically linked veskel-render carries other libraries' code: its copyright file says whose
# and under which licences, in the header's comment.
file(READ ${VESKEL_DESKTOP_DIR}/debian/copyright copyright)
if(VESKEL_STATIC_CLI AND NOT VESKEL_SANITIZE AND NOT VESKEL_FUZZ)
  file(READ ${VESKEL_DESKTOP_DIR}/debian/copyright-static-cli embedded)
  string(REGEX REPLACE "(\nSource: [^\n]*\n)" "\\1${embedded}" copyright "${copyright}")
endif()
file(CONFIGURE OUTPUT ${generated}/copyright CONTENT "${copyright}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${VESKEL_DESKTOP_DIR}/debian/copyright ${VESKEL_DESKTOP_DIR}/debian/copyright-static-cli)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${generated}/copyright ${generated}/changelog.gz
        DESTINATION ${VESKEL_DOC_DIR})
# Completions of both programs' options for the three common shells.
install(FILES ${VESKEL_DESKTOP_DIR}/completions/bash/veskel ${VESKEL_DESKTOP_DIR}/completions/bash/veskel-render
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${VESKEL_DESKTOP_DIR}/completions/zsh/_veskel ${VESKEL_DESKTOP_DIR}/completions/zsh/_veskel-render
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${VESKEL_DESKTOP_DIR}/completions/fish/veskel.fish ${VESKEL_DESKTOP_DIR}/completions/fish/veskel-render.fish
        DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Brannock")
set(CPACK_PACKAGE_CONTACT ${VESKEL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VESKEL_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "banner designer with a live preview and a command-line renderer")
# One string of lines under 80 characters (a CMake list would join them with ";").
set(CPACK_PACKAGE_DESCRIPTION "\
Veskel composes 350 x 20 banners (gradient, tile pattern, your own picture,
edge glow, highlight layer, outlined pixel-font text, border) in a window of
glass controls, keeps designs in .vzk project files and exports PNG, JPEG, GIF
and BMP. veskel-render renders banners from scripts without a window, one at a
time or in batches from text, CSV or JSON Lines files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VESKEL_HOMEPAGE})
# The libraries come from what the programs really link (dpkg-shlibdeps); the fonts that the
# controls ask for by name are found through fontconfig at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine, fonts-liberation2, fonts-dejavu-core")
# Qt's own buttons and dialogs in the window's language; the C library's reasons in Russian; the
# window on a Wayland desktop (on X11 it needs nothing more).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, libc-l10n, qt6-wayland")
# Two packings of one commit give the same bytes: every file time in the archives is
# SOURCE_DATE_EPOCH, taken from the last commit when the caller sets none (Package.cpack.in).
set(VESKEL_SOURCE_DIR ${CMAKE_SOURCE_DIR})
configure_file(${CMAKE_SOURCE_DIR}/cmake/Package.cpack.in ${CMAKE_BINARY_DIR}/Package.cpack @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/Package.cpack)
include(CPack)
