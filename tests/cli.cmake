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

# Listings in and out (--fromfile, --parse, --format html), through the built `arbolin`.
add_arbolin_test(cli_io_test cli_io_test.cpp)
target_link_libraries(cli_io_test PRIVATE arbolin_cli)
target_compile_definitions(cli_io_test PRIVATE ARBOLIN_EXE="$<TARGET_FILE:arbolin>")
add_dependencies(cli_io_test arbolin)

# The HTML page opened in headless Chromium and compared with the folder it lists (skipped without it).
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  add_test(NAME html_browser_check
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/html_browser_check.py $<TARGET_FILE:arbolin>)
  set_tests_properties(html_browser_check PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180)
endif()

# tree's command lines run by tree and by arbolin on the same folders, compared as entries and values
# (skipped without tree).
if(Python3_Interpreter_FOUND)
  add_test(NAME tree_compat COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tree_compat_test.py
                                    $<TARGET_FILE:arbolin>)
  set_tests_properties(tree_compat PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
endif()

# The --parse reader called directly on pasted listings.
add_arbolin_test(listing_reader_test listing_reader_test.cpp)
target_link_libraries(listing_reader_test PRIVATE arbolin_readers)

# The pasted-listing corpus's training set: the share read as a reader would, none wrong without a word.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  add_test(NAME parse_corpus
           COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/parse_corpus.py $<TARGET_FILE:arbolin>
                   --set train --check 90)
endif()

# tree's field options and its JSON and XML, against `tree` itself (tree_docs_check.py parses both).
add_arbolin_test(cli_tree_test cli_tree_test.cpp)
target_compile_definitions(cli_tree_test PRIVATE ARBOLIN_EXE="$<TARGET_FILE:arbolin>"
                                                 ARBOLIN_TREE_DOCS_CHECK="${CMAKE_CURRENT_SOURCE_DIR}/tree_docs_check.py")
add_dependencies(cli_tree_test arbolin)

# arbolin.exe's own choices (options refused on Windows, its help, -p's attributes), checked here.
add_arbolin_test(windows_choices_test windows_choices_test.cpp)
target_link_libraries(windows_choices_test PRIVATE arbolin_cli arbolin_readers)
# The same programs' tables that read real folders, run against arbolin.exe under wine64 where
# ARBOLIN_WIN_EXE names one (the x86_64 cross build's src/cli/arbolin.exe): the expectations that differ
# on Windows are written in the tests (UnderWine()), and a case that cannot hold there says why.
# ARBOLIN_WIN_WINE_TEMPLATE is the Wine prefix copied for the run (default: the cross build's template
# beside it, build-win/wine-template-x86_64).
set(ARBOLIN_WIN_EXE "" CACHE FILEPATH "arbolin.exe to run the command line's folder tests against under Wine")
set(ARBOLIN_WIN_WINE_TEMPLATE "" CACHE PATH "The 64-bit Wine prefix those runs copy")
if(ARBOLIN_WIN_EXE)
  set(wine_template ${ARBOLIN_WIN_WINE_TEMPLATE})
  if(NOT wine_template)
    get_filename_component(wine_template ${ARBOLIN_WIN_EXE}/../../../../wine-template-x86_64 ABSOLUTE)
  endif()
  set(wine_script ${CMAKE_CURRENT_SOURCE_DIR}/win/cli-wine.sh)
  set(wine_prefix ${CMAKE_CURRENT_BINARY_DIR}/cli-wine-prefix)
  add_test(NAME cli_wine_setup COMMAND sh ${wine_script} setup ${wine_prefix} ${wine_template})
  add_test(NAME cli_wine_cleanup COMMAND sh ${wine_script} cleanup ${wine_prefix})
  set_tests_properties(cli_wine_setup PROPERTIES FIXTURES_SETUP cli_wine TIMEOUT 180)
  set_tests_properties(cli_wine_cleanup PROPERTIES FIXTURES_CLEANUP cli_wine TIMEOUT 120)
  foreach(program_filter IN ITEMS "cli_test=CliRun.*" "cli_features_test=CliFeatures.*" "cli_io_test=CliIo.*"
                                  "cli_meta_test=CliMeta.*:CliColour.*" "cli_tree_test=CliTree.*")
    string(REPLACE "=" ";" pair ${program_filter})
    list(GET pair 0 program)
    list(GET pair 1 filter)
    add_test(NAME ${program}_wine
             COMMAND sh ${wine_script} run ${wine_prefix} ${ARBOLIN_WIN_EXE} $<TARGET_FILE:${program}>
                     --gtest_filter=${filter})
    set_tests_properties(${program}_wine PROPERTIES FIXTURES_REQUIRED cli_wine TIMEOUT 900)
  endforeach()
endif()
