# The player in a web browser, built with emscripten: the engine's layers over the web platform
# (src/platform/*_web.cpp) and the WebGL back end of the OpenGL seam (src/gl/api_web.cpp), linked
# into quor-demo.js + quor-demo.wasm. scripts/build.sh web puts them into a servable folder with
# the page (web/) and the data.
set(QUOR_SYSTEM web)
# No offscreen contexts, desktop framebuffer objects or other programs in a page: those serve the
# native capture, tools and tests.
set(QUOR_LAYER_EXCLUDE platform/offscreen_gl.cpp platform/framebuffer_api.cpp platform/process.cpp
  app/offscreen_context.cpp)
set(QUOR_WORKBENCH OFF)
add_compile_options(-Wall -Wextra)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Boost and CLI11 are header-only: their Debian headers come in through a folder of links, since
# adding the host's /usr/include itself would shadow emscripten's C library.
set(_host_include ${PROJECT_BINARY_DIR}/host-include)
file(MAKE_DIRECTORY ${_host_include})
foreach(_dir boost CLI)
  if(NOT EXISTS ${_host_include}/${_dir})
    file(CREATE_LINK /usr/include/${_dir} ${_host_include}/${_dir} SYMBOLIC)
  endif()
endforeach()
add_library(quor_host_headers INTERFACE)
target_include_directories(quor_host_headers SYSTEM INTERFACE ${_host_include})

configure_file(cmake/version.h.in ${PROJECT_BINARY_DIR}/generated/version.h @ONLY)
add_library(quor_version INTERFACE)
target_include_directories(quor_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
include(cmake/layers.cmake)

# A page has no installed tree to fall back on.
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/demo/installed_data.cpp PROPERTIES
  COMPILE_DEFINITIONS QUOR_DATA_FROM_PROGRAMS="")
# CLI11 reports through exceptions; only the command-line layer and the player's options are
# compiled to throw and catch them, so the drawing code keeps its plain calls.
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/app/command_line.cpp ${PROJECT_SOURCE_DIR}/src/app/player_options.cpp
  PROPERTIES COMPILE_OPTIONS -fexceptions)

# The data file is read into the heap while the page streams it in: the load waits for the stream
# (asyncify) on this one path, whose indirect call (the application's init, reached from
# create_application, which the optimiser folds into run) is named here. A path that loses its
# instrumentation stops the page's start, which the browser tests see at once.
set(_waits_for_data main quor::system::run* quor::demo::Demo::init*)
string(REPLACE ";" "\n" _waits "${_waits_for_data}")
file(WRITE ${PROJECT_BINARY_DIR}/waits-for-data.txt "${_waits}\n")
add_subdirectory(apps/quor-demo)
set_target_properties(quor-demo PROPERTIES SUFFIX .js)
target_link_options(quor-demo PRIVATE
  -fexceptions
  -sENVIRONMENT=web
  -sALLOW_MEMORY_GROWTH=1
  -sINITIAL_MEMORY=33554432
  -sEXIT_RUNTIME=1
  -sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=1
  -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT=1 -sASYNCIFY_ADD=@${PROJECT_BINARY_DIR}/waits-for-data.txt
  # The page calls main itself, asynchronously, to learn how it ended after the wait for the data.
  -sINVOKE_RUN=0 "-sEXPORTED_FUNCTIONS=['_main','_malloc']"
  "-sEXPORTED_RUNTIME_METHODS=['addRunDependency','removeRunDependency','ccall','stringToUTF8','lengthBytesUTF8']")

# The browser's side of the fixed-function probe of tests/web/gl_probe.cpp.
add_executable(gl_probe ${PROJECT_SOURCE_DIR}/tests/web/gl_probe.cpp)
target_link_libraries(gl_probe PRIVATE quor_gl)
set_target_properties(gl_probe PROPERTIES SUFFIX .js)
target_link_options(gl_probe PRIVATE -sENVIRONMENT=web -sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=1)
