// An input read whole: the path list of --fromfile, the listing of --parse. Free of OS headers; the
// POSIX calls are in input_file_posix.cpp.
#pragma once

#include <string>

// Reads all of `path` ("-": standard input) into `bytes`; 0, or the errno of the call that failed.
int ReadWholeInput(const std::string& path, std::string& bytes);
