# host/web/web.cmake - the web build: the same game as a static web page.
#
# Included by the top-level CMakeLists.txt when it is configured with
# Emscripten (tools/web.sh does that). The runtime, the framework and the
# game are compiled from the same sources as on the desktop; where a page
# needs its own, a file of host/web/ takes the place of a desktop file
# (WEB_SWAPS below, the one list of them).
#
# LANTERN_DATA_DIR names the data folder the desktop build's generator made;
# its files are laid out in the page's data/ folder (without the procedural
# music player's tunes and instruments, which this game does not use), for
# the page to fetch one by one as they are wanted (host/web/page_files.mjs).
# LANTERN_WEB_SOUND_DIR names the folder of the sound effects as Ogg Vorbis
# (the generator's target lantern_web_sounds), which the page carries in
# place of the WAVs. LANTERN_WEB_ICON_DIR names the folder of the page's
# icons the same generator drew (its target lantern_web_icons).
#
# The page is build-web/page/: index.html, lantern-vault.js and .wasm, the
# data/ folder with its listing files.json; the web app manifest and its
# icons, which make the page installable; and the service worker with its
# script in the page (offline.js), which keep the page for playing without
# a network.

set(LANTERN_DATA_DIR "" CACHE PATH "The data folder made by the desktop build (build/data)")
if(NOT IS_DIRECTORY "${LANTERN_DATA_DIR}")
  message(FATAL_ERROR "The web build packs the desktop build's data: configure with -DLANTERN_DATA_DIR=<build>/data")
endif()
set(LANTERN_WEB_SOUND_DIR "" CACHE PATH "The sound effects as Ogg Vorbis made by the desktop build (build/web-sounds)")
if(NOT IS_DIRECTORY "${LANTERN_WEB_SOUND_DIR}/sfx")
  message(FATAL_ERROR "The web build carries the sounds as Ogg Vorbis from the desktop build: build its target "
                      "lantern_web_sounds and configure with -DLANTERN_WEB_SOUND_DIR=<build>/web-sounds")
endif()
set(LANTERN_WEB_ICON_DIR "" CACHE PATH "The web page's icons made by the desktop build (build/web-icons)")
set(WEB_ICONS icon-192.png icon-512.png)
foreach(icon ${WEB_ICONS})
  if(NOT EXISTS "${LANTERN_WEB_ICON_DIR}/${icon}")
    message(FATAL_ERROR "The web build takes the page's icons from the desktop build: build its target "
                        "lantern_web_icons and configure with -DLANTERN_WEB_ICON_DIR=<build>/web-icons "
                        "(no ${icon} in '${LANTERN_WEB_ICON_DIR}')")
  endif()
endforeach()

# stb_image (PNG, as on the desktop) and stb_vorbis come as source with
# Debian's libstb-dev, outside Emscripten's system root: copies of the two
# headers go on the web build's include path.
set(WEB_INCLUDE_DIR ${CMAKE_BINARY_DIR}/include)
foreach(header stb_image.h stb_vorbis.h)
  find_file(STB_SOURCE_${header} ${header} PATHS /usr/include/stb NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT STB_SOURCE_${header})
    message(FATAL_ERROR "${header} not found: install Debian's libstb-dev")
  endif()
  configure_file(${STB_SOURCE_${header}} ${WEB_INCLUDE_DIR}/stb/${header} COPYONLY)
endforeach()

set(SRC ${CMAKE_CURRENT_SOURCE_DIR})
file(GLOB WEB_SOURCES CONFIGURE_DEPENDS
  ${SRC}/runtime/*.cpp ${SRC}/host/*.cpp ${SRC}/graphics/*.cpp ${SRC}/audio/*.cpp ${SRC}/input/*.cpp
  ${SRC}/support/*.cpp ${SRC}/game/*.cpp ${SRC}/host/web/*.cpp ${SRC}/host/web/*.c)

# The desktop's files the page leaves out, each followed by what stands in
# for it on the page. A desktop-only file added later goes here too, with
# its stand-in, or "-" when the page needs nothing in its place.
set(WEB_SWAPS
  # The process entry: returns once the browser drives the frames.
  host/main.cpp                host/web/main.cpp
  # The host: the browser's animation frames instead of a blocking loop.
  host/desktop.cpp             host/web/webgame.cpp
  host/desktop_start.cpp       host/web/webgame.cpp
  # The program's end hands its status to the page, which stays.
  runtime/exit.cpp             host/web/exit.cpp
  # Ogg Vorbis through stb_vorbis (with host/web/stb_vorbis.c) instead of libvorbisfile.
  audio/ogg.cpp                host/web/ogg_stb.cpp
  # No threads in a page: the tune is decoded, and the device opened, at once.
  audio/music_decode.cpp       host/web/music_decode.cpp
  audio/device_attempt.cpp     host/web/device_attempt.cpp
  # Emscripten's OpenAL is linked, not loaded at run time.
  audio/openal.cpp             host/web/openal.cpp
  # The world board: the page talks to it with its own script.
  host/board_client.cpp        host/web/web_board.cpp
)
list(LENGTH WEB_SWAPS swap_items)
math(EXPR swap_last "${swap_items} - 1")
foreach(i RANGE 0 ${swap_last} 2)
  math(EXPR j "${i} + 1")
  list(GET WEB_SWAPS ${i} desktop_file)
  list(GET WEB_SWAPS ${j} web_file)
  # A list that names a file no longer there would say what the build does not do.
  foreach(file ${desktop_file} ${web_file})
    if(NOT file STREQUAL "-" AND NOT EXISTS ${SRC}/${file})
      message(FATAL_ERROR "host/web/web.cmake: WEB_SWAPS names ${file}, which does not exist")
    endif()
  endforeach()
  list(REMOVE_ITEM WEB_SOURCES ${SRC}/${desktop_file})
endforeach()

add_executable(lantern-vault ${WEB_SOURCES})
set_target_properties(lantern-vault PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/page)
# host/web/include first: it completes Emscripten's GLFW header.
target_include_directories(lantern-vault BEFORE PRIVATE ${SRC}/host/web/include)
target_include_directories(lantern-vault PRIVATE ${SRC} ${WEB_INCLUDE_DIR})
# Optimised for size: the player downloads the module before the game starts.
target_compile_options(lantern-vault PRIVATE -Oz -Wall -Wextra)
# The version the game shows, from the project's one place for it.
target_compile_definitions(lantern-vault PRIVATE LANTERN_VERSION="${PROJECT_VERSION}")
# The decoder is someone else's code, compiled as it comes.
set_source_files_properties(${SRC}/host/web/stb_vorbis.c PROPERTIES COMPILE_OPTIONS "-w;-O2")
# The decoders are optimised for speed, not size: a start decodes every
# image of its art resolution (some 40 MB of pixels on a phone) and every
# sound, and a few kilobytes of module pay for a quicker start.
set_source_files_properties(${SRC}/graphics/png_decode.cpp PROPERTIES COMPILE_OPTIONS "-O2")

# The world board the page uses (tools/web.sh --board URL): empty for one at
# the page's own origin. It goes into index.html as it is written here.
set(LANTERN_WEB_BOARD "" CACHE STRING "The world board's address for the page (empty: the page's own origin)")
if(NOT LANTERN_WEB_BOARD STREQUAL "" AND NOT LANTERN_WEB_BOARD MATCHES "^https?://[A-Za-z0-9.:/_\[\]-]+$")
  message(FATAL_ERROR "LANTERN_WEB_BOARD must be an http:// or https:// address, not '${LANTERN_WEB_BOARD}'")
endif()

# The game's title, from its one place (host/title.h), goes into the page's
# <title>: index.html is configured into the build folder with it
# (@LANTERN_TITLE@).
file(STRINGS ${SRC}/host/title.h TITLE_LINE REGEX "^#define LANTERN_TITLE \".*\"")
string(REGEX REPLACE "^#define LANTERN_TITLE \"(.*)\".*$" "\\1" LANTERN_TITLE "${TITLE_LINE}")
if(LANTERN_TITLE STREQUAL "" OR LANTERN_TITLE MATCHES "[\\'\"<>&]")
  message(FATAL_ERROR "host/title.h: no LANTERN_TITLE the page can take as it is: '${LANTERN_TITLE}'")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SRC}/host/title.h)
configure_file(${SRC}/host/web/index.html ${CMAKE_BINARY_DIR}/index.html @ONLY)
# The manifest names the game by it too.
configure_file(${SRC}/host/web/manifest.webmanifest ${CMAKE_BINARY_DIR}/manifest.webmanifest @ONLY)

# The Closure Compiler minifies the page's script (--closure 1): the npm
# package google-closure-compiler in the build's own folder, which
# tools/web.sh installs. This Emscripten takes its path from the environment
# (EM_CLOSURE_COMPILER) at every link.
set(LANTERN_CLOSURE_COMPILER ${CMAKE_BINARY_DIR}/tools/node_modules/.bin/google-closure-compiler
    CACHE FILEPATH "The Closure Compiler's command (npm's google-closure-compiler)")
if(NOT EXISTS "${LANTERN_CLOSURE_COMPILER}")
  message(FATAL_ERROR "No Closure Compiler at '${LANTERN_CLOSURE_COMPILER}': tools/web.sh installs it there "
                      "(or configure with -DLANTERN_CLOSURE_COMPILER=<its google-closure-compiler command>)")
endif()
set_property(TARGET lantern-vault PROPERTY CXX_LINKER_LAUNCHER
             ${CMAKE_COMMAND} -E env EM_CLOSURE_COMPILER=${LANTERN_CLOSURE_COMPILER})
# Browser names Closure would otherwise rename in web_host.js; a change to
# them links the page again.
set(CLOSURE_EXTERNS ${SRC}/host/web/closure_externs.js)
set_property(TARGET lantern-vault APPEND PROPERTY LINK_DEPENDS ${CLOSURE_EXTERNS})

set(WEB_HOST_JS ${SRC}/host/web/web_host.js)
target_link_options(lantern-vault PRIVATE
  # Small over fast, here too: the page's script and module are what a
  # player waits for (js and wasm together, not the data).
  -Oz
  --closure 1
  "--closure-args=--externs=${CLOSURE_EXTERNS}"
  # No eval or new Function in the page's script, and strings from the
  # module decoded by the browser's TextDecoder alone.
  -sDYNAMIC_EXECUTION=0
  -sTEXTDECODER=2
  -sENVIRONMENT=web
  -sUSE_GLFW=3
  -sLEGACY_GL_EMULATION=1
  # The renderer draws with the fixed-function calls only.
  -sGL_FFP_ONLY=1
  -lopenal
  -sALLOW_MEMORY_GROWTH=1
  -sINITIAL_MEMORY=64MB
  --js-library ${WEB_HOST_JS})
# A changed data file or JavaScript library links the page again.
file(GLOB_RECURSE WEB_DATA_FILES CONFIGURE_DEPENDS ${LANTERN_DATA_DIR}/* ${LANTERN_WEB_SOUND_DIR}/*)
set_property(TARGET lantern-vault APPEND PROPERTY LINK_DEPENDS ${WEB_HOST_JS} ${WEB_DATA_FILES})

# The page itself: its files beside what the link wrote, then its data and
# the service worker, which lists them all (PAGE_FILES, the one list of the
# page's own files, and every piece of the data) and takes its version from
# their bytes. The badges' icons and the tune are fetched only once the
# player has started (--later).
set(PAGE_FILES index.html lantern-vault.js lantern-vault.wasm manifest.webmanifest offline.js ${WEB_ICONS})
set(PAGE_SOURCES ${CMAKE_BINARY_DIR}/index.html ${CMAKE_BINARY_DIR}/manifest.webmanifest ${SRC}/host/web/offline.js)
foreach(icon ${WEB_ICONS})
  list(APPEND PAGE_SOURCES ${LANTERN_WEB_ICON_DIR}/${icon})
endforeach()
set(SERVICE_WORKER ${SRC}/host/web/service_worker.js ${SRC}/host/web/page_files.mjs)
find_program(NODE_EXECUTABLE NAMES node nodejs REQUIRED)
add_custom_command(TARGET lantern-vault POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${PAGE_SOURCES} ${CMAKE_BINARY_DIR}/page/
  COMMAND ${CMAKE_COMMAND} -E rm -f ${CMAKE_BINARY_DIR}/page/lantern-vault.data
  COMMAND ${NODE_EXECUTABLE} ${SRC}/host/web/page_files.mjs --page ${CMAKE_BINARY_DIR}/page
          --data ${LANTERN_DATA_DIR} --sounds ${LANTERN_WEB_SOUND_DIR} --skip inst --skip tunes
          --later BadgesA --later sfx/Firstlight --worker ${SRC}/host/web/service_worker.js ${PAGE_FILES}
  VERBATIM)
# The steps above run after a link: a change to any of their files links
# the page again.
set_property(TARGET lantern-vault APPEND PROPERTY LINK_DEPENDS ${PAGE_SOURCES} ${SERVICE_WORKER})
