# Windows: the player and quor-mem, cross-built with MinGW-w64 (scripts/build.sh windows) and
# tested under Wine: the engine's layers over the _windows files of src/platform/ (and the Linux
# ones where they serve as they are), the workbench's editing model, the interchange and the
# content; quor-demo, quor-mem and the zip a Windows user unpacks; the suites of the portable
# layers and quor-mem's comparison with the Linux build. Left out: other programs
# (platform/process.cpp, which the Linux capture uses), the workbench's overlay (and with it
# --edit), the capture, quor-capture, the end-to-end scripts and the benchmarks. To build more,
# add its layers, links and programs below as cmake/linux.cmake does, with the libraries from the
# prefix scripts/windows-deps.sh fills.
#
# The libraries come from that prefix (QUOR_WINDOWS_DEPS), MinGW's own tree and the Windows system
# DLLs, under the names the Linux build's find modules give them. Everything links statically:
# the exes need only DLLs that come with Windows.
if(NOT QUOR_WINDOWS_DEPS)
  message(FATAL_ERROR "QUOR_WINDOWS_DEPS must name the prefix of the Windows dependency build")
endif()
# The workbench's overlay imports through the interchange, whose libraries are not built for
# Windows yet: until they are, its editing model (edit) is built and tested here, and quor-demo
# is the player alone.
set(QUOR_WORKBENCH OFF)
set(_deps ${QUOR_WINDOWS_DEPS})

set(QUOR_LAYERS platform anim io gl app scene demo edit interchange content)
set(QUOR_PROGRAMS quor-demo quor-mem)
set(QUOR_LAYER_EXCLUDE platform/process.cpp)
add_link_options(-static -s)

add_library(OpenGL::GL INTERFACE IMPORTED)
set_target_properties(OpenGL::GL PROPERTIES INTERFACE_LINK_LIBRARIES opengl32)

add_library(GLUT::GLUT STATIC IMPORTED)
set_target_properties(GLUT::GLUT PROPERTIES
  IMPORTED_LOCATION ${_deps}/lib/libfreeglut_static.a
  INTERFACE_INCLUDE_DIRECTORIES ${_deps}/include
  INTERFACE_COMPILE_DEFINITIONS FREEGLUT_STATIC
  INTERFACE_LINK_LIBRARIES "OpenGL::GL;gdi32;winmm")

add_library(GLEW::GLEW STATIC IMPORTED)
set_target_properties(GLEW::GLEW PROPERTIES
  IMPORTED_LOCATION ${_deps}/lib/libglew32s.a
  INTERFACE_INCLUDE_DIRECTORIES ${_deps}/include
  INTERFACE_COMPILE_DEFINITIONS GLEW_STATIC
  INTERFACE_LINK_LIBRARIES OpenGL::GL)

add_library(PNG::PNG STATIC IMPORTED)
set_target_properties(PNG::PNG PROPERTIES
  IMPORTED_LOCATION ${_deps}/lib/libpng16.a
  INTERFACE_INCLUDE_DIRECTORIES ${_deps}/include
  INTERFACE_LINK_LIBRARIES /usr/x86_64-w64-mingw32/lib/libz.a)

# quor-mem's: LAME, mpg123, libsndfile over Ogg, Vorbis, FLAC and Opus, aubio, stb's
# implementations and tinygltf, under the names the Linux build's pkg-config gives them.
add_library(PkgConfig::LAME STATIC IMPORTED)
set_target_properties(PkgConfig::LAME PROPERTIES
  IMPORTED_LOCATION ${_deps}/lib/libmp3lame.a
  INTERFACE_INCLUDE_DIRECTORIES ${_deps}/include)
add_library(PkgConfig::MPG123 STATIC IMPORTED)
set_target_properties(PkgConfig::MPG123 PROPERTIES
  IMPORTED_LOCATION ${_deps}/lib/libmpg123.a
  INTERFACE_INCLUDE_DIRECTORIES ${_deps}/include
  INTERFACE_LINK_LIBRARIES shlwapi)
add_library(PkgConfig::SNDFILE STATIC IMPORTED)
set_target_properties(PkgConfig::SNDFILE PROPERTIES
  IMPORTED_LOCATION ${_deps}/lib/libsndfile.a
  INTERFACE_INCLUDE_DIRECTORIES ${_deps}/include
  INTERFACE_LINK_LIBRARIES "${_deps}/lib/libFLAC.a;${_deps}/lib/libvorbisenc.a;${_deps}/lib/libvorbis.a;${_deps}/lib/libopus.a;${_deps}/lib/libogg.a")
add_library(PkgConfig::STB STATIC IMPORTED)
set_target_properties(PkgConfig::STB PROPERTIES
  IMPORTED_LOCATION ${_deps}/lib/libstb.a
  INTERFACE_INCLUDE_DIRECTORIES "${_deps}/host-include;${_deps}/host-include/stb")
add_library(PkgConfig::AUBIO STATIC IMPORTED)
set_target_properties(PkgConfig::AUBIO PROPERTIES
  IMPORTED_LOCATION ${_deps}/lib/libaubio.a
  INTERFACE_INCLUDE_DIRECTORIES ${_deps}/include)
set(QUOR_TINYGLTF ${_deps}/lib/libtinygltf.a)

# Header-only, from the host: a folder with links to their trees alone.
add_library(Boost::headers INTERFACE IMPORTED)
set_target_properties(Boost::headers PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_deps}/host-include)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_deps}/host-include)

# What each layer links from outside. Window and loop (GLUT), the performance counter and
# timeGetTime (winmm), DirectShow (COM).
set(QUOR_LINKS_platform GLUT::GLUT OpenGL::GL winmm ole32 strmiids uuid)
set(QUOR_LINKS_anim Boost::headers)
set(QUOR_LINKS_io PNG::PNG PkgConfig::MPG123)
set(QUOR_LINKS_gl OpenGL::GL GLEW::GLEW)
set(QUOR_LINKS_app CLI11::CLI11)
set(QUOR_LINKS_interchange PkgConfig::LAME PkgConfig::STB ${QUOR_TINYGLTF} PkgConfig::SNDFILE PkgConfig::AUBIO)

# The zip puts the data beside the exe, which is where an unpacked demo looks last.
set(QUOR_DATA_FROM_PROGRAMS ".")
set(QUOR_WRITES_PNG ON)

# MinGW declares localtime_r, the thread-safe local time of the Linux file, to POSIX sources only.
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/platform/local_time.cpp PROPERTIES
  COMPILE_DEFINITIONS _POSIX_C_SOURCE=200809L)

# Under Wine, in a prefix of the build's own: the portable layers' suites, without the draws that
# need the offscreen Mesa context (Linux's EGL); the player itself is checked by
# tests/windows/player.sh.
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/windows/wine.sh ${PROJECT_BINARY_DIR}/wineprefix)
set(QUOR_TEST_SUITES platform anim io gl edit)
set(QUOR_TEST_FILTER "-MesaDraw.*:OffscreenContext.*:*OnMesa")
set(QUOR_TEST_EXCLUDE platform/process_test.cpp io/mp3_decoder_test.cpp)
set(QUOR_TEST_WHOLE_PROGRAMS OFF)
set(QUOR_BENCHMARKS OFF)

# After the programs: the exes alone in a zip, for a Windows user who has tesk.mem and demo.mp3
# already (the release with the data is packed by scripts/build.sh, which makes the data with the
# Linux build); the player's test against the Linux build's data and pictures and quor-mem's
# against the Linux build's quor-mem (QUOR_LINUX_BIN_DIR).
macro(quor_system_targets)
  set(_zip ${PROJECT_BINARY_DIR}/quor-demo-windows-exe.zip)
  set(_staged ${PROJECT_BINARY_DIR}/zip)
  add_custom_command(OUTPUT ${_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${_staged}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_staged}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quor-demo> $<TARGET_FILE:quor-mem>
            ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt ${_staged}
    COMMAND ${CMAKE_COMMAND} -E chdir ${_staged} ${CMAKE_COMMAND} -E tar cf ${_zip} --format=zip quor-demo.exe quor-mem.exe
            README.txt
    DEPENDS quor-demo quor-mem ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt
    COMMENT "Packing quor-demo-windows-exe.zip"
    VERBATIM)
  add_custom_target(quor_windows_zip ALL DEPENDS ${_zip})
  if(QUOR_TESTS)
    set(_environment "QUOR_WINDOWS_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY};QUOR_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    add_test(NAME windows.player COMMAND bash ${PROJECT_SOURCE_DIR}/tests/windows/player.sh)
    set_tests_properties(windows.player PROPERTIES LABELS windows TIMEOUT 600 RUN_SERIAL TRUE ENVIRONMENT "${_environment}")
    # quor-mem.exe against the Linux build's quor-mem: the same bytes from every command; and a
    # file another program holds open, as hold_open does, is left as it was.
    add_executable(hold_open ${PROJECT_SOURCE_DIR}/tests/windows/hold_open.c)
    target_link_libraries(hold_open PRIVATE shell32)
    add_test(NAME windows.quor_mem COMMAND bash ${PROJECT_SOURCE_DIR}/tests/windows/quor_mem.sh)
    set_tests_properties(windows.quor_mem PROPERTIES LABELS windows TIMEOUT 600 ENVIRONMENT "${_environment}")
  endif()
endmacro()
