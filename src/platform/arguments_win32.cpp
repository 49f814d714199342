// The program's arguments, Windows side: wmain's UTF-16 arguments as WTF-8 (see arguments.h).
#include "platform/arguments.h"

#include <cwchar>

#include "platform/wide_text.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t holds UTF-16 code units");

std::vector<std::string> ArgumentsAsUtf8(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    arguments.reserve(size_t(argc));
    for (int i = 0; i < argc; ++i) {
        const auto* units = reinterpret_cast<const char16_t*>(argv[i]);
        arguments.push_back(WideToWtf8(std::u16string_view(units, std::wcslen(argv[i]))));
    }
    return arguments;
}
