# What `cmake --install` and `cpack -G DEB` ship: the three programs, the data files quor-mem
# builds, man pages from each program's --help, a desktop entry with an icon the capture renders,
# and the licences. The generated files are made by the target quor_install_files, part of `all`
# when QUOR_INSTALL_DATA is on and otherwise made by the install itself.
include(GNUInstallDirs)

# The sanitizer build is not packaged: there the install makes them when asked.
if(QUOR_SANITIZE)
  set(_make_by_default OFF)
else()
  set(_make_by_default ON)
endif()
option(QUOR_INSTALL_DATA "Make the data, man pages and icon of the install with every build" ${_make_by_default})

set(_programs quor-demo quor-mem quor-capture)
set(_staged ${PROJECT_BINARY_DIR}/install-files)
set(_data ${_staged}/data)

add_custom_command(OUTPUT ${_data}/tesk.mem ${_data}/demo.mp3
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_data}
  COMMAND quor-mem build --out ${_data}
  DEPENDS quor-mem
  COMMENT "Building the installed data files with quor-mem"
  VERBATIM)

# A 256-pixel frame of the creature in full bloom.
add_custom_command(OUTPUT ${_staged}/quor-demo.png
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_staged}/icon
  COMMAND quor-capture --data ${_data} --frames ${_staged}/icon --fps 1 --from 19 --to 20 --size 256x256
  COMMAND ${CMAKE_COMMAND} -E copy ${_staged}/icon/frame_00000.png ${_staged}/quor-demo.png
  DEPENDS quor-capture ${_data}/tesk.mem ${_data}/demo.mp3
  COMMENT "Rendering the icon with quor-capture"
  VERBATIM)

set(_name_quor-demo "self-running real-time graphics demo")
set(_name_quor-mem "build and check the demo's data file")
set(_name_quor-capture "render the demo offscreen into a video or pictures")
# help2man dates a page by SOURCE_DATE_EPOCH when it is set: the caller's, or else the time of the
# commit being built, so that the same source gives the same pages.
set(_epoch "$ENV{SOURCE_DATE_EPOCH}")
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE _epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
set(_dated)
if(_epoch MATCHES "^[0-9]+$")
  set(_dated ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${_epoch})
endif()
# quor-mem's page also holds the --help of each of its commands (and with it the motion text's format).
set(_commands_quor-mem ${_staged}/quor-mem-commands.h2m)
add_custom_command(OUTPUT ${_commands_quor-mem}
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:quor-mem> -DOUTPUT=${_commands_quor-mem}
          -P ${PROJECT_SOURCE_DIR}/cmake/command_pages.cmake
  DEPENDS quor-mem ${PROJECT_SOURCE_DIR}/cmake/command_pages.cmake
  VERBATIM)
set(_man_pages)
foreach(program ${_programs})
  set(_page ${_staged}/${program}.1)
  set(_include)
  if(DEFINED _commands_${program})
    set(_include --include=${_commands_${program}})
  endif()
  add_custom_command(OUTPUT ${_page}.gz
    COMMAND ${_dated} help2man --no-info --version-string=${PROJECT_VERSION} --name=${_name_${program}} ${_include} --output=${_page} $<TARGET_FILE:${program}>
    COMMAND gzip -9nf ${_page}
    DEPENDS ${program} ${_commands_${program}}
    COMMENT "Writing the man page of ${program} with help2man"
    VERBATIM)
  list(APPEND _man_pages ${_page}.gz)
endforeach()

file(READ ${PROJECT_SOURCE_DIR}/LICENSE _license)
# Debian's copyright format indents licence text by one space and marks empty lines with " .".
string(REGEX REPLACE "\n$" "" _license "${_license}")
string(REGEX REPLACE "\n\n" "\n.\n" _license "${_license}")
string(REGEX REPLACE "\n" "\n " QUOR_LICENSE_TEXT " ${_license}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${_staged}/copyright @ONLY)

if(QUOR_INSTALL_DATA)
  set(_in_all ALL)
endif()
add_custom_target(quor_install_files ${_in_all}
  DEPENDS ${_data}/tesk.mem ${_data}/demo.mp3 ${_staged}/quor-demo.png ${_man_pages})
# Without the option the install makes what it is missing itself.
install(CODE "execute_process(COMMAND \"${CMAKE_COMMAND}\" --build \"${PROJECT_BINARY_DIR}\" --target quor_install_files
                              COMMAND_ERROR_IS_FATAL ANY)")

install(TARGETS ${_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_data}/tesk.mem ${_data}/demo.mp3 DESTINATION ${CMAKE_INSTALL_DATADIR}/quor)
install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/quor-demo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_staged}/quor-demo.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${_staged}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The installed programs find the installed data from where they lie (QUOR_DATA_FROM_PROGRAMS, in
# cmake/linux.cmake), so the tree may move.

set(CPACK_PACKAGE_NAME quor)
set(CPACK_PACKAGE_VENDOR "the quor authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running real-time graphics demo with its data builder and video capture")
set(CPACK_PACKAGE_DESCRIPTION "A glowing creature drifts over a pool of light for 31 seconds, with music, drawn \
with fixed-function OpenGL from one packed data file. quor-mem builds and checks the data file, quor-capture \
renders the demo offscreen into a video or PNG pictures.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "the quor authors")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# quor-capture runs ffmpeg for videos; pictures need nothing more.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
set(CPACK_DEBIAN_COMPRESSION_TYPE zstd)
include(CPack)
