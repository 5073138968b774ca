# web.cmake -- the browser build (emcmake cmake): the program and the replay
# tool as WebAssembly, drawn with our GL 1.1 layer over WebGL 1. One thread:
# a page on a plain static host gets no shared memory, so the scene reader's
# helper threads stay off.
set(STB_INCLUDE_DIR /usr/include/stb)
set(WEB_DEMOS walk follow drive chase)

file(GLOB WEB_CORE_SOURCES CONFIGURE_DEPENDS app/*.cpp scene/*.cpp motion/*.cpp render/*.cpp)
list(REMOVE_ITEM WEB_CORE_SOURCES ${CMAKE_SOURCE_DIR}/app/main.cpp ${CMAKE_SOURCE_DIR}/app/main_web.cpp)
# Files come through emscripten's POSIX calls on the page's file system.
file(GLOB WEB_PLATFORM_SOURCES CONFIGURE_DEPENDS platform/web/gl11_*.cpp platform/web/web_*.cpp)
list(APPEND WEB_CORE_SOURCES ${WEB_PLATFORM_SOURCES} ${CMAKE_SOURCE_DIR}/platform/posix/posix_files.cpp)

# Exceptions are caught (the scene's memory budget throws).
set(WEB_FLAGS -fexceptions)
set(WEB_LINK_FLAGS -fexceptions -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB
    -sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=1 -sMODULARIZE=1 -sENVIRONMENT=web
    -sFORCE_FILESYSTEM=1 "-sEXPORTED_RUNTIME_METHODS=['FS','callMain','ccall']")

add_library(ambler_web_core STATIC ${WEB_CORE_SOURCES})
target_include_directories(ambler_web_core BEFORE PUBLIC ${CMAKE_SOURCE_DIR}/platform/web/gl11)
target_include_directories(ambler_web_core PUBLIC ${CMAKE_SOURCE_DIR})
target_include_directories(ambler_web_core SYSTEM PUBLIC ${STB_INCLUDE_DIR})
target_compile_options(ambler_web_core PUBLIC ${WEB_FLAGS}
  "SHELL:-include ${CMAKE_SOURCE_DIR}/platform/web/web_compat.h")
target_compile_definitions(ambler_web_core PRIVATE AMBLER_VERSION="${PROJECT_VERSION}")

# The program, with the four demos preloaded into its file system.
set(WEB_PRELOAD)
foreach(demo ${WEB_DEMOS})
  list(APPEND WEB_PRELOAD "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/scenes/${demo}@/scenes/${demo}")
endforeach()
add_executable(ambler app/main_web.cpp)
target_link_libraries(ambler PRIVATE ambler_web_core)
target_link_options(ambler PRIVATE ${WEB_LINK_FLAGS} -sEXPORT_NAME=createAmbler ${WEB_PRELOAD})
set_target_properties(ambler PROPERTIES SUFFIX ".js")

# The replay tool: run by tools/web-replay.mjs in a page, one instance per
# run, ending as a process ends.
add_executable(ambler-replay tools/replay/main.cpp tools/lib/replay_events.cpp
               tools/lib/replay_run.cpp tools/lib/trace.cpp tools/lib/png_image_stb.cpp
               tools/lib/temp_beside.cpp)
target_link_libraries(ambler-replay PRIVATE ambler_web_core)
target_link_options(ambler-replay PRIVATE ${WEB_LINK_FLAGS} -sEXPORT_NAME=createAmblerReplay
                    -sINVOKE_RUN=0 -sEXIT_RUNTIME=1)
set_target_properties(ambler-replay PROPERTIES SUFFIX ".js")

# The static site: the page beside the program, and the zip for any host.
add_custom_target(web-site ALL
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_BINARY_DIR}/site/index.html
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE_DIR:ambler>/ambler.js $<TARGET_FILE_DIR:ambler>/ambler.wasm
          $<TARGET_FILE_DIR:ambler>/ambler.data ${CMAKE_BINARY_DIR}/site/
  DEPENDS ambler ${CMAKE_SOURCE_DIR}/web/index.html)
