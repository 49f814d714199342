# The display-column tables, generated at build time from Debian's ICU by a host tool compiled with the
# host's compiler (in the cross build too), and the portable lookup over them as platform_chars_table:
# the Windows build's character data, built natively as well so a test compares it with ICU's answers.
if(CMAKE_CROSSCOMPILING)
  find_program(ARBOLIN_HOST_CXX NAMES c++ g++ REQUIRED)
else()
  set(ARBOLIN_HOST_CXX ${CMAKE_CXX_COMPILER})
endif()
set(chars_table_gen ${CMAKE_CURRENT_BINARY_DIR}/chars_table_gen)
set(chars_table_inc ${CMAKE_CURRENT_BINARY_DIR}/chars_table.inc)
add_custom_command(OUTPUT ${chars_table_gen}
  COMMAND ${ARBOLIN_HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Werror -I${PROJECT_SOURCE_DIR}/src
          ${CMAKE_CURRENT_SOURCE_DIR}/chars_table_gen.cpp -o ${chars_table_gen} -licuuc
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/chars_table_gen.cpp ${CMAKE_CURRENT_SOURCE_DIR}/chars_columns.h
  COMMENT "Building the host tool that writes the character tables" VERBATIM)
add_custom_command(OUTPUT ${chars_table_inc}
  COMMAND ${chars_table_gen} ${chars_table_inc}
  DEPENDS ${chars_table_gen}
  COMMENT "Writing the character tables from ICU" VERBATIM)
add_library(platform_chars_table STATIC EXCLUDE_FROM_ALL chars_table.cpp ${chars_table_inc})
target_include_directories(platform_chars_table PUBLIC ${PROJECT_SOURCE_DIR}/src PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
target_compile_options(platform_chars_table PRIVATE ${ARBOLIN_WARNINGS})
