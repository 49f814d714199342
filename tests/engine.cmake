# Engine and renderers over in-memory trees: worked examples, edge cases, limits.
add_arbolin_test(engine_test engine_test.cpp render_test.cpp)
# The renderers' written-out Unicode sets are checked against ICU's own properties, linked here.
target_link_libraries(engine_test PRIVATE ICU::uc)
