# One static library per folder of src/, each linking the layers below it; every .cpp of a
# folder belongs to its library. Bottom up: platform, anim, io, gl, app, scene, demo, then the
# workbench's edit and overlay, the capture, the interchange of motion, textures and music, and
# the demo's generated content.
#
# Variants for other systems sit beside the Linux file as <name>_<system>.cpp (web, windows): on
# that system the variant replaces <name>.cpp, elsewhere it is left out. QUOR_SYSTEM names the
# system being built for, empty for Linux; QUOR_LAYER_EXCLUDE lists the sources (relative to src/)
# that a system does without.
set(QUOR_SYSTEMS web windows)

function(quor_layer name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  set(chosen)
  foreach(source ${sources})
    get_filename_component(base ${source} NAME_WE)
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR}/src ${source})
    if(relative IN_LIST QUOR_LAYER_EXCLUDE)
      continue()
    endif()
    set(variant_of "")
    foreach(system ${QUOR_SYSTEMS})
      if(base MATCHES "^(.+)_${system}$")
        set(variant_of ${system})
      endif()
    endforeach()
    if(variant_of)
      if(variant_of STREQUAL "${QUOR_SYSTEM}")
        list(APPEND chosen ${source})
      endif()
    elseif(NOT QUOR_SYSTEM OR NOT EXISTS ${PROJECT_SOURCE_DIR}/src/${folder}/${base}_${QUOR_SYSTEM}.cpp)
      list(APPEND chosen ${source})
    endif()
  endforeach()
  add_library(${name} STATIC ${chosen})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARGN})
  target_compile_options(${name} PRIVATE ${QUOR_FUZZ_COVERAGE})
endfunction()

if(EMSCRIPTEN)
  # The browser's platform, with WebGL, html5 events and the page's fetches (see cmake/web.cmake);
  # Boost and CLI11 headers through quor_host_headers.
  quor_layer(quor_platform platform)
  quor_layer(quor_anim anim quor_host_headers)
  quor_layer(quor_io io quor_platform)
  quor_layer(quor_gl gl quor_io quor_anim)
  quor_layer(quor_app app quor_gl quor_platform quor_host_headers)
else()
  # The platform's services: window and main loop, offscreen context, counters, audio, files.
  quor_layer(quor_platform platform ${QUOR_PLATFORM_LIBRARIES})
  # anim needs nothing but the standard library and Boost, io only the platform's files and libpng;
  # both test without a display.
  quor_layer(quor_anim anim Boost::headers)
  quor_layer(quor_io io quor_platform PNG::PNG)
  quor_layer(quor_gl gl quor_io quor_anim OpenGL::GL GLEW::GLEW)
  quor_layer(quor_app app quor_gl quor_platform CLI11::CLI11)
endif()
# --version prints the project's version.
target_link_libraries(quor_app PRIVATE quor_version)
# --edit is offered where the workbench is built.
if(QUOR_WORKBENCH)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/src/app/player_options.cpp PROPERTIES COMPILE_DEFINITIONS QUOR_WORKBENCH)
endif()
quor_layer(quor_scene scene quor_app)
quor_layer(quor_demo demo quor_scene)

if(QUOR_WORKBENCH)
  # The workbench's editing model: plain C++ over the demo's records and files, no GL of its own.
  quor_layer(quor_edit edit quor_demo)
  # The workbench's overlay: Dear ImGui from the system (a static library) with its GLUT and
  # OpenGL 2 backends, which Debian ships as sources to compile in.
  pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)
  set(_imgui_backends /usr/share/doc/libimgui-dev/examples/backends)
  quor_layer(quor_overlay overlay quor_edit PkgConfig::IMGUI OpenGL::GL GLUT::GLUT)
  target_sources(quor_overlay PRIVATE ${_imgui_backends}/imgui_impl_glut.cpp ${_imgui_backends}/imgui_impl_opengl2.cpp)
  set_source_files_properties(${_imgui_backends}/imgui_impl_glut.cpp ${_imgui_backends}/imgui_impl_opengl2.cpp
    PROPERTIES COMPILE_OPTIONS "-w")
  pkg_get_variable(_imgui_include imgui includedir)
  target_include_directories(quor_overlay PUBLIC ${_imgui_include}/backends)
endif()

# The capture behind quor-capture: renders the demo offscreen at exact frame times into a video
# (through ffmpeg) or PNGs. A page and the Windows player have no use for it.
if(NOT WIN32 AND NOT EMSCRIPTEN)
  find_package(Threads REQUIRED)
  pkg_check_modules(CAPTURE_MPG123 REQUIRED IMPORTED_TARGET libmpg123)
  pkg_check_modules(CAPTURE_SNDFILE REQUIRED IMPORTED_TARGET sndfile)
  quor_layer(quor_capture capture quor_demo PNG::PNG Threads::Threads PkgConfig::CAPTURE_MPG123
             PkgConfig::CAPTURE_SNDFILE)
  # The colour conversion runs once per pixel per frame; -O3 lets GCC vectorise its row loops.
  set_source_files_properties(${PROJECT_SOURCE_DIR}/src/capture/yuv_picture.cpp PROPERTIES
    COMPILE_OPTIONS "$<$<NOT:$<CONFIG:Debug>>:-O3>")
endif()

# Motion, texture and music interchange: the importers and the DXT1 and MP3 encoders, for
# quor-mem, the content generator and the workbench. Without LAME neither it nor they are built;
# the Windows and browser players have no use for it.
if(WIN32 OR EMSCRIPTEN)
  return()
endif()
find_library(QUOR_MP3LAME mp3lame)
if(TARGET PkgConfig::LAME)
  set(_lame PkgConfig::LAME)
elseif(QUOR_MP3LAME)
  set(_lame ${QUOR_MP3LAME})
else()
  if(QUOR_WORKBENCH)
    message(FATAL_ERROR "libmp3lame not found: the workbench imports motion through the interchange library, "
                        "which needs it; install it or configure with -DQUOR_WORKBENCH=OFF")
  endif()
  message(WARNING "libmp3lame not found: the interchange library, the content and quor-mem are not built")
  return()
endif()
pkg_check_modules(STB REQUIRED IMPORTED_TARGET stb)
find_library(QUOR_TINYGLTF tinygltf REQUIRED)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
quor_layer(quor_interchange interchange quor_demo ${_lame} PkgConfig::STB ${QUOR_TINYGLTF} PkgConfig::SNDFILE
           PkgConfig::MPG123)
# The workbench imports motion through it.
if(TARGET quor_overlay)
  target_link_libraries(quor_overlay PUBLIC quor_interchange)
endif()
# The demo's own content, generated: the creature, the stage, the camera path, the textures, the
# soundtrack, and the writer that assembles them into the data file (quor-mem build).
quor_layer(quor_content content quor_interchange)
