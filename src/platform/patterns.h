// Shell patterns (platform seam; patterns_posix.cpp is the POSIX side, patterns_win32.cpp the Windows
// one): * ? and [...] over a whole name, as the C library's fnmatch matches them.
#pragma once

#include <string>

// True when `name` matches `pattern` ('/' and a leading '.' are ordinary characters); `ignoreCase`: letters
// match whatever their case.
bool MatchShellPattern(const std::string& pattern, const std::string& name, bool ignoreCase = false);
