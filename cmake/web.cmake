# The browser: the player alone, built with emscripten (scripts/build.sh web): the engine's layers
# over the _web files of src/platform/ and the WebGL back end of the OpenGL seam
# (src/gl/api_web.cpp), linked into quor-demo.js + quor-demo.wasm, and the fixed-function probe of
# the browser tests. scripts/build.sh web puts them into a servable folder with the page (web/)
# and the data. Left out: offscreen contexts, desktop framebuffer objects and other programs,
# which serve the native capture, tools and tests; MP3 decoding (the importers' and the
# capture's); PNG writing (a page has no files to write
# pictures into); the workbench, the capture, the interchange, the content, the other programs,
# the native tests and the benchmarks.
set(QUOR_LAYERS platform anim io gl app scene demo)
set(QUOR_PROGRAMS quor-demo)
set(QUOR_LAYER_EXCLUDE platform/offscreen_gl.cpp platform/framebuffer_api.cpp platform/process.cpp
  app/offscreen_context.cpp io/mp3_decoder.cpp)
set(QUOR_WORKBENCH OFF)
set(QUOR_TESTS OFF)
set(QUOR_BENCHMARKS OFF)

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

# What each layer links from outside: WebGL, html5 events and the page's fetches come with
# emscripten's own libraries.
set(QUOR_LINKS_anim quor_host_headers)
set(QUOR_LINKS_app quor_host_headers)

# A page has no installed tree to fall back on.
set(QUOR_DATA_FROM_PROGRAMS "")
set(QUOR_WRITES_PNG OFF)

# CLI11 reports through exceptions; only the command-line layer and the player's options are
# compiled to throw and catch them, so the drawing code keeps its plain calls.
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/app/command_line.cpp ${PROJECT_SOURCE_DIR}/src/app/player_options.cpp
  PROPERTIES COMPILE_OPTIONS -fexceptions)

# After the programs: quor-demo's page-side link, and the browser's side of the fixed-function
# probe of tests/web/gl_probe.cpp.
macro(quor_system_targets)
  # The data file is read into the heap while the page streams it in: the load waits for the
  # stream (asyncify) on this one path, whose indirect call (the application's init, reached from
  # create_application, which the optimiser folds into run) is named here. A path that loses its
  # instrumentation stops the page's start, which the browser tests see at once.
  set(_waits_for_data main quor::system::run* quor::demo::Demo::init*)
  string(REPLACE ";" "\n" _waits "${_waits_for_data}")
  file(WRITE ${PROJECT_BINARY_DIR}/waits-for-data.txt "${_waits}\n")
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

  add_executable(gl_probe ${PROJECT_SOURCE_DIR}/tests/web/gl_probe.cpp)
  target_link_libraries(gl_probe PRIVATE quor_gl)
  set_target_properties(gl_probe PROPERTIES SUFFIX .js)
  target_link_options(gl_probe PRIVATE -sENVIRONMENT=web -sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=1)
endmacro()
