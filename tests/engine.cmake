# Engine and renderers over in-memory trees: worked examples, edge cases, limits.
add_arbolin_test(engine_test engine_test.cpp render_test.cpp)
