# arbolin.exe's folder source and entry metadata over the Win32 API (disk_source.h, entry_meta.h):
# FindFirstFileExW, Windows' collation keys, CP932 names; the Windows program's order for --compat.
add_library(platform_win32_source STATIC source_win32_cli.cpp names_win32.cpp entry_meta_win32.cpp)
target_include_directories(platform_win32_source PUBLIC ${PROJECT_SOURCE_DIR}/src)
# The errors as errno values, and the messages, are the streams part's (platform_win32_io).
target_link_libraries(platform_win32_source PUBLIC listing platform_win32 platform_wide_text platform_win32_io kernel32)
target_compile_options(platform_win32_source PRIVATE ${ARBOLIN_WARNINGS})
