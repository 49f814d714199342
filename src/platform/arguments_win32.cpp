// The program's arguments, Windows side: wmain's UTF-16 arguments as WTF-8 (see arguments.h).
#include "platform/arguments.h"

#include "platform/io_win32.h"

std::vector<std::string> ArgumentsAsUtf8(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    arguments.reserve(size_t(argc));
    for (int i = 0; i < argc; ++i) arguments.push_back(Wtf8Of(argv[i]));
    return arguments;
}
