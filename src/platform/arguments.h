// The program's arguments as the rest of it reads them (Windows side of the command line's entry, free of
// OS headers; arguments_win32.cpp): wmain's UTF-16 arguments as WTF-8, so that every name survives.
#pragma once

#include <string>
#include <vector>

// argv[0..argc) as UTF-8, a lone surrogate kept as WTF-8 (wide_text.h); wchar_t is 16 bits on Windows.
std::vector<std::string> ArgumentsAsUtf8(int argc, wchar_t** argv);
