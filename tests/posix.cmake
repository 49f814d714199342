# The POSIX side of the seam over real temporary folders, and the engine's scan through it.
add_arbolin_test(posix_source_test posix_source_test.cpp)
target_link_libraries(posix_source_test PRIVATE platform_cli)

# Tests that need an unreadable folder. CI runs as root, which reads any folder: they run as root without
# the capabilities that override permissions (still uid 0, so the build folder stays reachable).
add_executable(posix_unreadable_test posix_unreadable_test.cpp)
target_link_libraries(posix_unreadable_test PRIVATE platform_cli test_support GTest::gtest_main)
target_compile_options(posix_unreadable_test PRIVATE ${ARBOLIN_WARNINGS})
add_test(NAME posix_unreadable
         COMMAND setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search
                 $<TARGET_FILE:posix_unreadable_test>)

# Keys of printable-ASCII names made without ICU, against ICU's keys over every short name.
add_arbolin_test(ascii_order_test ascii_order_test.cpp)
target_link_libraries(ascii_order_test PRIVATE platform_cli)

# The messages on standard error: the program's name, the cap on repeated ones.
add_arbolin_test(messages_test messages_test.cpp)
target_link_libraries(messages_test PRIVATE platform_cli)

# Names and arguments from UTF-16 (Windows) to WTF-8 and back, against ICU's UTF-8.
add_arbolin_test(wide_text_test wide_text_test.cpp)
target_link_libraries(wide_text_test PRIVATE platform_cli ICU::uc)

# UTF-8 decoding without ICU, against ICU's macros over every short sequence.
add_arbolin_test(chars_test chars_test.cpp)
target_link_libraries(chars_test PRIVATE platform_chars ICU::uc)

# The Windows build's character tables, generated from ICU, against ICU's answers for every code point.
add_arbolin_test(chars_table_test chars_table_test.cpp)
target_link_libraries(chars_table_test PRIVATE platform_chars platform_chars_table)

# Shell patterns without the C library (the Windows side's), against fnmatch in C.UTF-8.
add_arbolin_test(shell_match_test shell_match_test.cpp ${PROJECT_SOURCE_DIR}/src/platform/shell_match.cpp)
target_link_libraries(shell_match_test PRIVATE platform_chars)

# Dates without the C library (the Windows side's), against localtime_r, strftime and strptime.
add_arbolin_test(date_format_test date_format_test.cpp ${PROJECT_SOURCE_DIR}/src/platform/date_format.cpp)
target_link_libraries(date_format_test PRIVATE platform_cli)
