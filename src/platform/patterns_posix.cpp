// Shell patterns, POSIX side: fnmatch.
#include "platform/patterns.h"

#include <fnmatch.h>

bool MatchShellPattern(const std::string& pattern, const std::string& name, bool ignoreCase) {
    return fnmatch(pattern.c_str(), name.c_str(), ignoreCase ? FNM_CASEFOLD : 0) == 0;
}
