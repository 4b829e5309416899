# One static library per layer of src/; every .cpp of a layer's folder belongs to it.
function(quor_layer name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# anim and io need nothing but the standard library and Boost; they test without a display.
quor_layer(quor_anim anim Boost::headers)
quor_layer(quor_io io)
# app, gl and scene share the OpenGL seam and the render device.
file(GLOB _engine_sources CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/app/*.cpp ${PROJECT_SOURCE_DIR}/src/gl/*.cpp ${PROJECT_SOURCE_DIR}/src/scene/*.cpp)
add_library(quor_engine STATIC ${_engine_sources})
target_include_directories(quor_engine PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(quor_engine PUBLIC quor_anim quor_io Boost::headers OpenGL::GL OpenGL::EGL GLEW::GLEW GLUT::GLUT)

file(GLOB _demo_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/demo/*.cpp)
list(FILTER _demo_sources EXCLUDE REGEX "/main\\.cpp$")
if(_demo_sources)
  add_library(quor_demo STATIC ${_demo_sources})
  target_include_directories(quor_demo PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(quor_demo PUBLIC quor_engine PkgConfig::SDL2_MIXER)
  set(_demo_lib quor_demo)
else()
  set(_demo_lib quor_engine)
endif()

add_executable(quor-demo ${PROJECT_SOURCE_DIR}/src/demo/main.cpp)
target_link_libraries(quor-demo PRIVATE ${_demo_lib})
