# The catalogue compiled into the program: problems/catalogue.txt (one record
# per line, then a space and its source) becomes a C++ table.
set(VOSTRA_CATALOGUE_TXT ${CMAKE_SOURCE_DIR}/problems/catalogue.txt)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/catalogue_data.cpp
  COMMAND ${CMAKE_COMMAND} -DIN=${VOSTRA_CATALOGUE_TXT} -DOUT=${CMAKE_BINARY_DIR}/catalogue_data.cpp
          -P ${CMAKE_SOURCE_DIR}/cmake/catalogue_to_cpp.cmake
  DEPENDS ${VOSTRA_CATALOGUE_TXT} ${CMAKE_SOURCE_DIR}/cmake/catalogue_to_cpp.cmake
  COMMENT "Generating the problem catalogue table")
