# arbolin.exe's streams, files, arguments and messages over the Win32 API (included by CMakeLists.txt in
# the x86_64 cross build): standard output and -o FILE, inputs read whole, the console, wmain's arguments.
add_library(platform_win32_io STATIC io_win32.cpp output_file.cpp output_file_win32.cpp input_file_win32.cpp terminal_win32.cpp
                                     terminal_color_win32.cpp arguments_win32.cpp messages.cpp)
target_include_directories(platform_win32_io PUBLIC ${PROJECT_SOURCE_DIR}/src)
# messages.cpp escapes names with chars.h's UTF-8 decoding, which platform_chars holds on this side.
target_link_libraries(platform_win32_io PUBLIC listing platform_wide_text $<TARGET_NAME_IF_EXISTS:platform_chars>
                                        kernel32)
target_compile_options(platform_win32_io PRIVATE ${ARBOLIN_WARNINGS})
