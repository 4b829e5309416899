# Linux: everything. The engine's layers over the plain platform files of src/platform/, the
# workbench (QUOR_WORKBENCH), the capture, the interchange and the content; the three programs,
# the tests, the benchmarks and the install (cmake/install.cmake). Nothing is left out.
include(GNUInstallDirs)

find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX EGL)
find_package(GLEW REQUIRED)
find_package(GLUT REQUIRED)
find_package(X11 REQUIRED)
find_package(Boost REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2_MIXER REQUIRED IMPORTED_TARGET SDL2_mixer)
pkg_check_modules(LAME IMPORTED_TARGET lame)
find_package(PNG REQUIRED)
find_package(CLI11 CONFIG REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)

set(QUOR_LAYERS platform anim io gl app scene demo capture interchange content)
set(QUOR_PROGRAMS quor-demo quor-mem quor-capture)
set(QUOR_LAYER_EXCLUDE)

# What each layer links from outside. The platform's services: window and main loop (GLUT),
# offscreen context (EGL), audio (SDL_mixer).
set(QUOR_LINKS_platform OpenGL::GL OpenGL::GLX OpenGL::EGL GLUT::GLUT X11::X11 PkgConfig::SDL2_MIXER)
set(QUOR_LINKS_anim Boost::headers)
set(QUOR_LINKS_io PNG::PNG PkgConfig::MPG123)
set(QUOR_LINKS_gl OpenGL::GL GLEW::GLEW)
set(QUOR_LINKS_app CLI11::CLI11)
set(QUOR_LINKS_capture PNG::PNG Threads::Threads PkgConfig::SNDFILE)

# The interchange (and with it the content and quor-mem) encodes MP3 through LAME; without it
# they are not built.
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
  list(REMOVE_ITEM QUOR_LAYERS interchange content)
  list(REMOVE_ITEM QUOR_PROGRAMS quor-mem)
endif()
if(_lame)
  pkg_check_modules(STB REQUIRED IMPORTED_TARGET stb)
  find_library(QUOR_TINYGLTF tinygltf REQUIRED)
  # The music's tempo and first beat, for the workbench's grid.
  pkg_check_modules(AUBIO REQUIRED IMPORTED_TARGET aubio)
  set(QUOR_LINKS_interchange ${_lame} PkgConfig::STB ${QUOR_TINYGLTF} PkgConfig::SNDFILE PkgConfig::AUBIO)
endif()

# The workbench: its editing model and its Dear ImGui overlay, ImGui from the system (a static
# library) with its GLUT and OpenGL 2 backends, which Debian ships as sources to compile in.
if(QUOR_WORKBENCH)
  list(APPEND QUOR_LAYERS edit overlay)
  pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)
  pkg_get_variable(_imgui_include imgui includedir)
  add_library(quor_imgui INTERFACE)
  target_include_directories(quor_imgui INTERFACE ${_imgui_include}/backends)
  target_link_libraries(quor_imgui INTERFACE PkgConfig::IMGUI)
  set(_imgui_backends /usr/share/doc/libimgui-dev/examples/backends)
  set(QUOR_SOURCES_overlay ${_imgui_backends}/imgui_impl_glut.cpp ${_imgui_backends}/imgui_impl_opengl2.cpp)
  set_source_files_properties(${QUOR_SOURCES_overlay} PROPERTIES COMPILE_OPTIONS "-w")
  set(QUOR_LINKS_overlay quor_imgui OpenGL::GL GLUT::GLUT)
endif()

# The installed programs find the installed data from where they lie, so the tree may move.
file(RELATIVE_PATH QUOR_DATA_FROM_PROGRAMS ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/quor)
set(QUOR_WRITES_PNG ON)

# Every suite, the end-to-end scripts, the fuzz targets and the probes; the benchmarks.
set(QUOR_TEST_SUITES platform anim io gl app scene demo edit overlay interchange capture content)
set(QUOR_TEST_FILTER "")
set(QUOR_TEST_EXCLUDE)
set(QUOR_TEST_WHOLE_PROGRAMS ON)
set(QUOR_BENCHMARKS ON)

# After the programs: the install and the Debian package.
macro(quor_system_targets)
  include(cmake/install.cmake)
endmacro()
