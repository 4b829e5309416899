# One static library per folder of src/, each linking the layers below it; every .cpp of a
# folder belongs to its library. Bottom up: platform, anim, io, gl, app, scene, demo, then the
# workbench's edit and overlay, the capture, the interchange of motion, textures and music, and
# the demo's generated content.
#
# The system's file in cmake/ (linux, windows, web) says which layers it builds (QUOR_LAYERS), what
# each links from outside (QUOR_LINKS_<layer>), the sources it does without (QUOR_LAYER_EXCLUDE,
# relative to src/) and its name (QUOR_SYSTEM). Variants for other systems sit beside the Linux file
# as <name>_<system>.cpp (web, windows): on that system the variant replaces <name>.cpp, elsewhere
# it is left out.
set(QUOR_VARIANT_SYSTEMS web windows)

# Our own libraries each layer links, bottom up.
set(_below_platform)
set(_below_anim)
set(_below_io quor_platform)
set(_below_gl quor_io quor_anim)
set(_below_app quor_gl quor_platform)
set(_below_scene quor_app)
set(_below_demo quor_scene)
set(_below_edit quor_demo)
set(_below_capture quor_demo)
set(_below_interchange quor_demo)
set(_below_overlay quor_edit quor_interchange)
set(_below_content quor_interchange)
set(_layer_order platform anim io gl app scene demo edit capture interchange overlay content)

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
    foreach(system ${QUOR_VARIANT_SYSTEMS})
      if(base MATCHES "^(.+)_${system}$")
        set(variant_of ${system})
      endif()
    endforeach()
    if(variant_of)
      if(variant_of STREQUAL QUOR_SYSTEM)
        list(APPEND chosen ${source})
      endif()
    elseif(NOT EXISTS ${PROJECT_SOURCE_DIR}/src/${folder}/${base}_${QUOR_SYSTEM}.cpp)
      list(APPEND chosen ${source})
    endif()
  endforeach()
  add_library(${name} STATIC ${chosen} ${QUOR_SOURCES_${folder}})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
  target_link_libraries(${name} PUBLIC ${ARGN})
  target_compile_options(${name} PRIVATE ${QUOR_FUZZ_COVERAGE})
endfunction()

foreach(_layer ${_layer_order})
  if(_layer IN_LIST QUOR_LAYERS)
    quor_layer(quor_${_layer} ${_layer} ${_below_${_layer}} ${QUOR_LINKS_${_layer}})
  endif()
endforeach()

# The colour conversion runs once per pixel per frame; -O3 lets GCC vectorise its row loops.
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/capture/yuv_picture.cpp PROPERTIES
  COMPILE_OPTIONS "$<$<NOT:$<CONFIG:Debug>>:-O3>")
