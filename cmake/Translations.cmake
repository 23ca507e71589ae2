# The message catalogs: po/<language>.po compiled by GNU gettext's msgfmt into
# <build>/locale/<language>/LC_MESSAGES/veskel.mo, where a program run from the build tree finds
# them, and installed into share/locale. tools/i18n/update-catalogs.sh refreshes the .po files
# from the code and the stored layouts.
include(GNUInstallDirs)
find_program(VESKEL_MSGFMT msgfmt REQUIRED)

set(VESKEL_CATALOG_DIR ${CMAKE_BINARY_DIR}/locale)
set(catalogs "")
foreach(language en ru)
  set(po ${CMAKE_SOURCE_DIR}/po/${language}.po)
  set(mo ${VESKEL_CATALOG_DIR}/${language}/LC_MESSAGES/veskel.mo)
  add_custom_command(OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VESKEL_CATALOG_DIR}/${language}/LC_MESSAGES
    COMMAND ${VESKEL_MSGFMT} --check -o ${mo} ${po}
    DEPENDS ${po} VERBATIM)
  list(APPEND catalogs ${mo})
  install(FILES ${mo} DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES)
endforeach()
add_custom_target(veskel_catalogs ALL DEPENDS ${catalogs})

# Everything that translates links veskel_lang, which looks in the build tree when the program
# is not installed.
add_dependencies(veskel_lang veskel_catalogs)
set_source_files_properties(${CMAKE_SOURCE_DIR}/platform/lang/Translate.cpp TARGET_DIRECTORY veskel_lang
  PROPERTIES COMPILE_DEFINITIONS "VESKEL_BUILD_CATALOG_DIR=\"${VESKEL_CATALOG_DIR}\"")
