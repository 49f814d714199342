# arbolin.exe, the command line as a Windows console program, run under Wine (the x86_64 build, where it
# is built): names beyond code page 932 in files and in a console's buffer, and --compat against the
# Windows program's own listings. Included by tests/win/CMakeLists.txt.

# The console helper: starts a program in a new console and writes back what the screen buffer holds.
add_executable(console_capture console_capture.cpp)
target_compile_options(console_capture PRIVATE ${ARBOLIN_WARNINGS})
target_link_options(console_capture PRIVATE -municode)

if(TARGET arbolin)
  # Japanese, Korean, accented Latin, half-width kana and emoji exactly, an unpaired surrogate escaped,
  # paths past 260 characters (the console part under a display: win-test.sh runs ctest under Xvfb).
  add_test(NAME win_cli_names
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/cli-names-test.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
            $<TARGET_FILE:arbolin> $<TARGET_FILE:console_capture> ${CMAKE_CURRENT_BINARY_DIR}/cli-names)
  set_tests_properties(win_cli_names PROPERTIES TIMEOUT 300)
  # arbolin.exe --compat and listing_probe.exe over the same generated trees, every view and option set.
  add_test(NAME win_cli_compat_listings
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/probe-test.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
            $<TARGET_FILE:listing_probe> ${CMAKE_CURRENT_BINARY_DIR}/cli-compat-trees - $<TARGET_FILE:arbolin>)
  set_tests_properties(win_cli_compat_listings PROPERTIES TIMEOUT 900)
endif()
