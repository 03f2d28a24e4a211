# The program's libraries and the headers each may include.
#
# There is no include path to the source root.  Each library gets an include
# root of its own in the build tree, include/<library>/<folder>/<header>, with
# a link to each of its public headers, and exports it to what links the
# library.  So a file sees "game/context.h" only when its library links the
# game's library, and an include that runs against the layering (rules/
# including "shell/entry.h", say) fails to compile.  Private headers get a
# second root that only the library's own sources see.
#
#   vostra_library(NAME FOLDER folder
#                  [SOURCES file...]          default: every folder/*.cpp
#                  [HEADERS file...]          default: every folder/*.h and *.inc
#                  [PRIVATE_HEADERS file...]  taken out of the public ones
#                  [LINKS library...])        what it may include and calls
#
# File names are relative to the folder.  A library without sources is an
# INTERFACE library.
function(vostra_library name)
  cmake_parse_arguments(arg "" "FOLDER" "SOURCES;HEADERS;PRIVATE_HEADERS;LINKS" ${ARGN})
  set(folder ${arg_FOLDER})
  set(dir ${CMAKE_SOURCE_DIR}/${folder})

  if(DEFINED arg_SOURCES)
    list(TRANSFORM arg_SOURCES PREPEND ${dir}/)
    set(sources ${arg_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  endif()
  if(DEFINED arg_HEADERS)
    set(headers ${arg_HEADERS})
  else()
    file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${dir} ${dir}/*.h ${dir}/*.inc)
  endif()
  if(arg_PRIVATE_HEADERS)
    list(REMOVE_ITEM headers ${arg_PRIVATE_HEADERS})
  endif()

  set(public_root ${CMAKE_BINARY_DIR}/include/${name})
  set(private_root ${CMAKE_BINARY_DIR}/include/${name}-private)
  _vostra_link_headers(${public_root}/${folder} ${dir} "${headers}")
  _vostra_link_headers(${private_root}/${folder} ${dir} "${arg_PRIVATE_HEADERS}")

  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${public_root} PRIVATE ${private_root})
    target_link_libraries(${name} PUBLIC ${arg_LINKS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${public_root})
    target_link_libraries(${name} INTERFACE ${arg_LINKS})
  endif()
  add_dependencies(${name} vostra_include_check)
endfunction()

# Fills `root` with links to the given headers of `dir`, and nothing else.
function(_vostra_link_headers root dir headers)
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root})
  foreach(h IN LISTS headers)
    get_filename_component(sub ${h} DIRECTORY)
    if(sub)
      file(MAKE_DIRECTORY ${root}/${sub})
    endif()
    file(CREATE_LINK ${dir}/${h} ${root}/${h} SYMBOLIC)
  endforeach()
endfunction()

# Paths that climb out of a folder ("../shell/entry.h") would get round the
# include roots; the build refuses them.
add_custom_target(vostra_include_check
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/check_includes.cmake
  COMMENT "Checking the include paths"
  VERBATIM)
