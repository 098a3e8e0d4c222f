# Each subsystem folder is a static library of its non-window sources; the window logic
# (files named frm_*.cpp, in any folder) forms one library on top, since the main window's
# handlers span the subsystems.
function(tarvo_subsystem_sources out dir)
  file(GLOB all CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(FILTER all EXCLUDE REGEX "/frm_[^/]*\\.cpp$")
  list(FILTER all EXCLUDE REGEX "/main_[^/]*\\.cpp$")
  set(${out} ${all} PARENT_SCOPE)
endfunction()

function(tarvo_library name dir)
  tarvo_subsystem_sources(srcs ${dir})
  if(NOT srcs)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src ${TARVO_GENERATED_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  else()
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${TARVO_GENERATED_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()
