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

# Sizes, dates, modes, orders, colour, -l and -x: the parser and the metadata reader called directly, and
# the built `arbolin` against GNU ls.
add_arbolin_test(cli_meta_test cli_meta_test.cpp)
target_link_libraries(cli_meta_test PRIVATE arbolin_cli)
target_compile_definitions(cli_meta_test PRIVATE ARBOLIN_EXE="$<TARGET_FILE:arbolin>")
add_dependencies(cli_meta_test arbolin)
