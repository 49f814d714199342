# Bad input over real folders: link loops, hostile and 255-byte names, the Windows program's capacities at
# their edges, deep trees, folders changing while they are listed, -o to full and read-only disks. It runs
# the built `arbolin` (unreadable folders without root's override capabilities) and mounts small tmpfs
# disks in a mount namespace of its own, so it needs root, as CI has.
add_arbolin_test(bad_input_test bad_input_test.cpp)
target_link_libraries(bad_input_test PRIVATE platform_cli)
target_compile_definitions(bad_input_test PRIVATE ARBOLIN_EXE="$<TARGET_FILE:arbolin>")
add_dependencies(bad_input_test arbolin)
