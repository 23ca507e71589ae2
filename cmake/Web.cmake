# How the program `veskel` is linked for the browser (included from app/CMakeLists.txt). The
# output is veskel.js, veskel.wasm and veskel.data, which scripts/web.sh copies into the site
# folder beside the page.

# The files the program reads at run time, preloaded into its file system at /veskel: the packed
# fonts (/veskel/fonts) and the message catalogs (/veskel/locale). scripts/web.sh fills the
# folder before the build.
set(VESKEL_WEB_DATA ${CMAKE_SOURCE_DIR}/build/web/data CACHE PATH
    "The folder preloaded at /veskel (fonts/ and locale/)")
# Extra link options, e.g. -sNODERAWFS=1 for a build run under node on the host's files.
set(VESKEL_WEB_LINK_OPTIONS "" CACHE STRING "Further link options of the program (a list)")

target_link_options(veskel PRIVATE
  # Memory grows with the pictures a design loads.
  -sALLOW_MEMORY_GROWTH=1
  # A modal call (message box, file chooser) waits for the page without blocking its loop.
  -sASYNCIFY
  ${VESKEL_WEB_LINK_OPTIONS})

if(EXISTS ${VESKEL_WEB_DATA})
  target_link_options(veskel PRIVATE "SHELL:--preload-file ${VESKEL_WEB_DATA}@/veskel")
  # Relink when a packed file changes.
  file(GLOB_RECURSE web_data_files CONFIGURE_DEPENDS ${VESKEL_WEB_DATA}/*)
  set_property(TARGET veskel APPEND PROPERTY LINK_DEPENDS ${web_data_files})
endif()

# The web backend: its C++ as a library, its JavaScript as libraries of the link.
file(GLOB web_backend_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/backends/web/*.cpp)
file(GLOB web_backend_js CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/backends/web/*.js)
if(web_backend_srcs)
  add_library(veskel_web_backend STATIC ${web_backend_srcs})
  target_link_libraries(veskel_web_backend PUBLIC veskel_ui)
  target_link_libraries(veskel PRIVATE veskel_web_backend)
  target_compile_definitions(veskel PRIVATE VESKEL_WITH_WEB=1)
  # The page's calls that wait for the user (message box, menu, file picker, file type): the
  # program's stack is unwound there and rewound with the answer.
  # The unwound stack is kept in a buffer: room for a wait deep inside an error's message box.
  target_link_options(veskel PRIVATE
    "-sASYNCIFY_IMPORTS=[veskel_web_message_box,veskel_web_menu_run,veskel_web_pick_file,veskel_web_choose_type]"
    -sASYNCIFY_STACK_SIZE=65536
    # The C libraries (image codecs, compression, fonts) never wait for the page: left as they
    # are, they keep their size and speed.
    "-sASYNCIFY_REMOVE=[jpeg_*,jinit_*,png_*,FT_*,ft_*,tt_*,TT_*,sfnt_*,gray_*,deflate*,inflate*,libdeflate_*,Gif*,EGif*,DGif*,adler32*,crc32*]")
endif()
foreach(js ${web_backend_js})
  target_link_options(veskel PRIVATE "SHELL:--js-library ${js}")
  set_property(TARGET veskel APPEND PROPERTY LINK_DEPENDS ${js})
endforeach()
