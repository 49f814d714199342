# The literal reference of the engine and renderers (test-only), its own checks against the defined
# listings, and the randomized differential tests that hold production to it.
add_library(reference STATIC reference/reference_engine.cpp reference/reference_render.cpp)
target_include_directories(reference PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(reference PUBLIC listing)
target_compile_options(reference PRIVATE ${ARBOLIN_WARNINGS})

add_arbolin_test(reference_test reference/reference_test.cpp)
target_link_libraries(reference_test PRIVATE reference)

add_arbolin_test(differential_test differential_test.cpp)
target_link_libraries(differential_test PRIVATE reference)
