# Each library sees only its own folder and the folders of the libraries it links: its
# folder is offered through a stage directory of its own (build/include/<library>/<folder>),
# so an include of a layer it does not link fails to compile.
function(tarvo_stage_folder name dir)
  set(stage ${CMAKE_BINARY_DIR}/include/${name})
  file(MAKE_DIRECTORY ${stage})
  get_filename_component(leaf ${dir} NAME)
  get_filename_component(parent ${dir} DIRECTORY)
  if(parent)
    file(MAKE_DIRECTORY ${stage}/${parent})
  endif()
  if(NOT EXISTS ${stage}/${dir})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${dir} ${stage}/${dir} SYMBOLIC COPY_ON_ERROR)
  endif()
  set(${name}_STAGE ${stage} PARENT_SCOPE)
endfunction()

# tarvo_library(NAME DIR [PUBLIC libs...] [PRIVATE libs...]): the .cpp files of src/DIR.
function(tarvo_library name dir)
  cmake_parse_arguments(arg "" "" "PUBLIC;PRIVATE;EXCLUDE" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${dir}/*.cpp)
  foreach(pattern IN LISTS arg_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${pattern}")
  endforeach()
  tarvo_stage_folder(${name} ${dir})
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${${name}_STAGE})
  target_link_libraries(${name} PUBLIC ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
endfunction()
