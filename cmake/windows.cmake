# The Windows build's libraries, from the prefix scripts/windows-deps.sh fills (QUOR_WINDOWS_DEPS),
# MinGW's own tree and the Windows system DLLs, under the names the Linux build's find modules
# give them. Everything links statically: the exe needs only DLLs that come with Windows.
if(NOT QUOR_WINDOWS_DEPS)
  message(FATAL_ERROR "QUOR_WINDOWS_DEPS must name the prefix of the Windows dependency build")
endif()
if(QUOR_WORKBENCH)
  message(FATAL_ERROR "the Windows build is the player alone: configure it with -DQUOR_WORKBENCH=OFF")
endif()
set(_deps ${QUOR_WINDOWS_DEPS})
set(QUOR_SYSTEM windows)
# Other programs are the capture's business, which stays on Linux.
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

# Header-only, from the host: a folder with links to their two trees alone.
add_library(Boost::headers INTERFACE IMPORTED)
set_target_properties(Boost::headers PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_deps}/host-include)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_deps}/host-include)


# Window and loop (GLUT), the performance counter and timeGetTime (winmm), DirectShow (COM).
set(QUOR_PLATFORM_LIBRARIES GLUT::GLUT OpenGL::GL winmm ole32 strmiids uuid)

# The zip puts the data beside the exe, which is where an unpacked demo looks last.
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/demo/installed_data.cpp PROPERTIES
  COMPILE_DEFINITIONS QUOR_DATA_FROM_PROGRAMS=".")

# Tests run under Wine, in a prefix of the build's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/windows/wine.sh ${PROJECT_BINARY_DIR}/wineprefix)

# The exe alone, for a Windows user who has tesk.mem and demo.mp3 already; the release with the
# data is packed by scripts/build.sh, which makes the data with the Linux build.
set(_zip ${PROJECT_BINARY_DIR}/quor-demo-windows-exe.zip)
set(_staged ${PROJECT_BINARY_DIR}/zip)
add_custom_command(OUTPUT ${_zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_staged}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_staged}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quor-demo> ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt ${_staged}
  COMMAND ${CMAKE_COMMAND} -E chdir ${_staged} ${CMAKE_COMMAND} -E tar cf ${_zip} --format=zip quor-demo.exe README.txt
  DEPENDS quor-demo ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt
  COMMENT "Packing quor-demo-windows-exe.zip"
  VERBATIM)
add_custom_target(quor_windows_zip ALL DEPENDS ${_zip})

# MinGW declares localtime_r, the thread-safe local time of the Linux file, to POSIX sources only.
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/platform/local_time.cpp PROPERTIES
  COMPILE_DEFINITIONS _POSIX_C_SOURCE=200809L)
