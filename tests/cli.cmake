# The command line: its argument parser and progress line called directly, and the built `arbolin` run
# over temporary folders (tests that need unreadable folders drop root's override capabilities).
add_arbolin_test(cli_test cli_options_test.cpp cli_run_test.cpp git_index_test.cpp)
target_link_libraries(cli_test PRIVATE arbolin_cli)
target_compile_definitions(cli_test PRIVATE ARBOLIN_EXE="$<TARGET_FILE:arbolin>")
add_dependencies(cli_test arbolin)

# The command line's choices beyond the Windows program's, run through the built `arbolin`.
add_arbolin_test(cli_features_test cli_features_test.cpp)
target_link_libraries(cli_features_test PRIVATE arbolin_cli)
target_compile_definitions(cli_features_test PRIVATE ARBOLIN_EXE="$<TARGET_FILE:arbolin>"
                                                    ARBOLIN_GITIGNORE_CHECK="${CMAKE_CURRENT_SOURCE_DIR}/gitignore_check.py")
add_dependencies(cli_features_test arbolin)

# Listings in and out (--fromfile, --parse, --format html), through the built `arbolin`.
add_arbolin_test(cli_io_test cli_io_test.cpp)
target_link_libraries(cli_io_test PRIVATE arbolin_cli)
target_compile_definitions(cli_io_test PRIVATE ARBOLIN_EXE="$<TARGET_FILE:arbolin>")
add_dependencies(cli_io_test arbolin)
