# The browser build's libraries, under the names the desktop's find_package() and pkg-config
# give them, so that the rest of the build is the same. They are static WebAssembly archives
# that scripts/web-deps.sh builds into one prefix; nothing of the host's is looked at.
set(VESKEL_WEB_PREFIX ${CMAKE_SOURCE_DIR}/build/web/prefix CACHE PATH
    "The folder holding include/ and lib/ of the libraries built for WebAssembly")

function(veskel_web_library target archive)
  set(path ${VESKEL_WEB_PREFIX}/lib/${archive})
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "${path} is missing: run scripts/web-deps.sh first")
  endif()
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION ${path}
    INTERFACE_INCLUDE_DIRECTORIES "${VESKEL_WEB_PREFIX}/include;${ARGN}"
    INTERFACE_LINK_LIBRARIES "${web_library_links}")
endfunction()

set(web_library_links "")
veskel_web_library(ZLIB::ZLIB libz.a)
veskel_web_library(PkgConfig::LIBDEFLATE libdeflate.a)
veskel_web_library(JPEG::JPEG libjpeg.a)
veskel_web_library(PkgConfig::TURBOJPEG libturbojpeg.a)
veskel_web_library(GIF::GIF libgif.a)
set(web_library_links ZLIB::ZLIB)
veskel_web_library(PNG::PNG libpng16.a)
veskel_web_library(Freetype::Freetype libfreetype.a ${VESKEL_WEB_PREFIX}/include/freetype2)

# The resource embedder runs on the build machine: scripts/web.sh builds it natively first.
set(VESKEL_HOST_EMBED ${CMAKE_SOURCE_DIR}/build/release/tools/veskel_embed CACHE FILEPATH
    "The natively built tools/veskel_embed")
if(NOT EXISTS ${VESKEL_HOST_EMBED})
  message(FATAL_ERROR "${VESKEL_HOST_EMBED} is missing: build the target veskel_embed natively first")
endif()
add_executable(veskel_embed IMPORTED GLOBAL)
set_target_properties(veskel_embed PROPERTIES IMPORTED_LOCATION ${VESKEL_HOST_EMBED})
