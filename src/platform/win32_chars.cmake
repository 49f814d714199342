# arbolin.exe's character data, code pages, shell patterns and dates (included by CMakeLists.txt when
# ARBOLIN_WIN_CLI is on): platform_chars as on Linux but over the Win32 API and the tables generated from
# Debian's ICU (chars_table.cmake), and platform_win32_text for patterns and dates with their portable
# matcher and formatter.
include(${CMAKE_CURRENT_LIST_DIR}/chars_table.cmake)

add_library(platform_chars STATIC chars.cpp chars_win32.cpp codepage.cpp codepage_win32.cpp)
target_include_directories(platform_chars PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(platform_chars PRIVATE platform_chars_table)
target_compile_options(platform_chars PRIVATE ${ARBOLIN_WARNINGS})

add_library(platform_win32_text STATIC patterns_win32.cpp shell_match.cpp dates_win32.cpp date_format.cpp)
target_include_directories(platform_win32_text PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(platform_win32_text PUBLIC platform_chars)
target_compile_options(platform_win32_text PRIVATE ${ARBOLIN_WARNINGS})
