# The catalogue compiled into the program.  The build compiles the SGF problems
# (the shipped collection in problems/sgf, or the files and folders named by
# VOSTRA_PROBLEMS) with `vostra-problems compile` into a catalogue file, one
# record per line followed by its source, and that file into a C++ table.
# The catalogue of the shipped collection is also kept, and committed, as
# problems/catalogue.txt; it is rewritten when the SGF files change.
set(VOSTRA_SHIPPED_CATALOGUE ${CMAKE_SOURCE_DIR}/problems/catalogue.txt)
# The problems' texts (titles, goals, comments) beside it, numbered like its
# records; compile writes FILE.texts beside FILE.txt.
set(VOSTRA_SHIPPED_TEXTS ${CMAKE_SOURCE_DIR}/problems/catalogue.texts)

if(VOSTRA_PROBLEMS STREQUAL "")
  # Relative to the source folder, so that the sources written into the
  # committed catalogue are the same on every machine.
  set(problem_paths problems/sgf)
  set(problems_shipped ON)
else()
  string(REPLACE " " ";" problem_paths "${VOSTRA_PROBLEMS}")
  set(problems_shipped OFF)
endif()

# The SGF files the catalogue depends on; relative paths are taken from the
# source folder.
set(problem_args "")
set(problem_deps "")
foreach(p IN LISTS problem_paths)
  if(p STREQUAL "")
    continue()
  endif()
  get_filename_component(abs "${p}" ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
  if(IS_DIRECTORY "${abs}")
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${abs}/*.sgf" "${abs}/*.SGF")
    list(APPEND problem_deps ${found})
  elseif(EXISTS "${abs}")
    list(APPEND problem_deps "${abs}")
  elseif(NOT problems_shipped)
    message(FATAL_ERROR "VOSTRA_PROBLEMS: ${p} is neither a file nor a folder")
  endif()
  list(APPEND problem_args "${p}")
endforeach()

get_target_property(problems_emulator vostra-problems CROSSCOMPILING_EMULATOR)
if(CMAKE_CROSSCOMPILING AND NOT problems_emulator)
  set(problems_can_run OFF)
elseif(EMSCRIPTEN AND problems_shipped)
  # The browser build takes the committed catalogue rather than building the
  # tool a second time, for node.
  set(problems_can_run OFF)
else()
  set(problems_can_run ON)
endif()

if(problems_shipped AND (NOT problem_deps OR NOT problems_can_run))
  # No SGF files to compile, or no way to run the tool on this build: the
  # committed catalogue is used as it is.
  set(VOSTRA_CATALOGUE_TXT ${VOSTRA_SHIPPED_CATALOGUE})
  set(VOSTRA_TEXTS_FILE ${VOSTRA_SHIPPED_TEXTS})
elseif(NOT problems_can_run)
  message(FATAL_ERROR "VOSTRA_PROBLEMS needs vostra-problems to run on the build machine, "
                      "which this cross-compiling build cannot do")
else()
  set(VOSTRA_CATALOGUE_TXT ${CMAKE_BINARY_DIR}/problems/catalogue.txt)
  set(VOSTRA_TEXTS_FILE ${CMAKE_BINARY_DIR}/problems/catalogue.texts)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/problems)
  set(keep_shipped "")
  set(complete_args "")
  if(VOSTRA_COMPLETE)
    # Trees completed by the solver (slower; the committed catalogue keeps
    # the trees as written).
    set(complete_args --complete -q)
  endif()
  if(problems_shipped AND NOT VOSTRA_COMPLETE)
    set(keep_shipped COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VOSTRA_CATALOGUE_TXT}
                             ${VOSTRA_SHIPPED_CATALOGUE}
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VOSTRA_TEXTS_FILE}
                             ${VOSTRA_SHIPPED_TEXTS})
  endif()
  add_custom_command(
    OUTPUT ${VOSTRA_CATALOGUE_TXT} ${VOSTRA_TEXTS_FILE}
    COMMAND vostra-problems compile ${complete_args} -o ${VOSTRA_CATALOGUE_TXT} ${problem_args}
    ${keep_shipped}
    DEPENDS vostra-problems ${problem_deps}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "Compiling the problem collection into the catalogue"
    VERBATIM)
endif()

# check and show of vostra-problems default to this catalogue, named from the
# tool's own folder so that the tool holds no path of the build machine; under
# node (Emscripten) the tool has no folder of its own and gets the whole path.
if(EMSCRIPTEN)
  set(catalogue_for_tool ${VOSTRA_CATALOGUE_TXT})
else()
  get_target_property(tool_dir vostra-problems BINARY_DIR)
  file(RELATIVE_PATH catalogue_for_tool ${tool_dir} ${VOSTRA_CATALOGUE_TXT})
endif()
target_compile_definitions(vostra_compiler PRIVATE VOSTRA_CATALOGUE_FILE="${catalogue_for_tool}")

add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/catalogue_data.cpp
  COMMAND ${CMAKE_COMMAND} -DIN=${VOSTRA_CATALOGUE_TXT} -DOUT=${CMAKE_BINARY_DIR}/catalogue_data.cpp
          -P ${CMAKE_SOURCE_DIR}/cmake/catalogue_to_cpp.cmake
  DEPENDS ${VOSTRA_CATALOGUE_TXT} ${CMAKE_SOURCE_DIR}/cmake/catalogue_to_cpp.cmake
  COMMENT "Generating the problem catalogue table")

# The texts table as bytes in the program, read by the captions at start-up.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/problem_texts_data.cpp
  COMMAND ${CMAKE_COMMAND} -DIN=${VOSTRA_TEXTS_FILE} -DOUT=${CMAKE_BINARY_DIR}/problem_texts_data.cpp
          -P ${CMAKE_SOURCE_DIR}/cmake/texts_to_cpp.cmake
  DEPENDS ${VOSTRA_TEXTS_FILE} ${CMAKE_SOURCE_DIR}/cmake/texts_to_cpp.cmake
  COMMENT "Generating the problem texts table")
