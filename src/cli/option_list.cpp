// A build tool, not installed: prints the option table, one option a line and its fields separated by tabs,
// for scripts/completions.py and tests/option_lists_test.py. No platform code.
//   short  long  argument (none|required|attached)  value name  words (space-separated)  refused by
//   (compat fromfile parse folder, space-separated)  repeatable (0|1)  summary
#include <cstdio>
#include <iterator>
#include <string>

#include "cli/option_table.h"

namespace {

constexpr const char* kArgumentNames[] = {"none", "required", "attached"};

std::string RefusalNames(uint8_t bits) {
    constexpr struct {
        uint8_t bit;
        const char* name;
    } kNames[] = {{kNotWithCompat, "compat"}, {kNotWithFromFile, "fromfile"}, {kNotWithParse, "parse"},
                  {kNeedsFolder, "folder"}};
    std::string names;
    for (const auto& n : kNames)
        if (bits & n.bit) names += (names.empty() ? "" : " ") + std::string(n.name);
    return names;
}

}  // namespace

int main() {
    static_assert(std::size(kArgumentNames) == kArgAttached + 1, "a name for each argument kind");
    std::string out;
    for (const OptionRow& row : OptionTable()) {
        std::string words;
        for (const ValueWord& w : row.words) {
            words += (words.empty() ? "" : " ") + std::string(w.word);
            // A word refused where its option is not is named after a colon: "size:fromfile,parse".
            if (w.refusedWith != kFineEverywhere) {
                std::string refused = RefusalNames(w.refusedWith);
                for (char& c : refused) c = c == ' ' ? ',' : c;
                words += ":" + refused;
            }
        }
        out += (row.shortName != 0 ? std::string(1, row.shortName) : "") + "\t" + std::string(row.longName) +
               "\t" + kArgumentNames[row.argument] + "\t" + std::string(row.valueName) + "\t" + words + "\t" +
               RefusalNames(row.refusedWith) + "\t" + (row.repeatable ? "1" : "0") + "\t" +
               std::string(row.summary) + "\n";
    }
    return std::fputs(out.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
}
