// Display columns from tables generated at build time from ICU (chars_table_gen.cpp), portable: the
// Windows build's DisplayColumns, and checked natively against the POSIX side's answer.
#pragma once

#include <cstdint>

// The columns of character `c` as DisplayColumns counts them: 1 for ASCII, else by the tables.
int TableDisplayColumns(int32_t c);
