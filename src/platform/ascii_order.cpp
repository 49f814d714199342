// Collation keys for printable-ASCII names without ICU. In ICU's root order every printable ASCII
// character is one collation element: its primary weight orders punctuation, symbols, digits, then the
// letters with case ignored; its secondary weight is the common one; its tertiary weight tells upper
// case from lower (lower first here) and is the common one for the rest. So comparing two such names
// comes down to their characters' primary ranks, then (files) their case, which these keys hold as bytes.
#include "platform/ascii_order.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

// Printable ASCII in root order of primary weights; a space separates weights, so "Aa" share one.
constexpr std::string_view kRootOrder =
    "\x20 _ - , ; : ! ? . ' \" ( ) [ ] { } @ * / \\ & # % ` ^ + < = > | ~ $ 0 1 2 3 4 5 6 7 8 9 "
    "Aa Bb Cc Dd Ee Ff Gg Hh Ii Jj Kk Ll Mm Nn Oo Pp Qq Rr Ss Tt Uu Vv Ww Xx Yy Zz";

// Each byte's primary rank, 2 and up (0 and 1 end the ranks in keys), 0 outside printable ASCII.
constexpr std::array<uint8_t, 256> MakeRanks() {
    std::array<uint8_t, 256> ranks{};
    uint8_t rank = 2;
    bool first = true;
    for (size_t i = 0; i < kRootOrder.size(); ++i) {
        char c = kRootOrder[i];
        if (c == ' ' && !first) {  // the space itself stands first, before its separator
            ++rank;
            continue;
        }
        first = false;
        ranks[uint8_t(c)] = rank;
    }
    return ranks;
}

constexpr std::array<uint8_t, 256> kRanks = MakeRanks();

}  // namespace

bool AsciiOrderHolds(std::string_view icuLocale) {
    for (std::string_view proved : {"root", "en", "en_US", "ja", "ja_JP"}) {
        if (icuLocale == proved) return true;
    }
    return false;
}

bool HasAsciiKey(std::string_view raw, bool natural) {
    for (char ch : raw) {
        auto c = uint8_t(ch);
        if (kRanks[c] == 0 || (natural && c >= '0' && c <= '9')) return false;
    }
    return true;
}

bool MakeAsciiKey(std::string_view raw, bool folder, bool natural, std::string& key) {
    // Folder: ranks, 0x00, the raw bytes. File: ranks, 0x01, a case byte each (2 for upper case, else 1);
    // names of printable ASCII with the same ranks and case are the same name, so no tie-break follows.
    size_t n = raw.size();
    const auto* in = reinterpret_cast<const uint8_t*>(raw.data());
    if (key.size() < 2 * n + 1) key.resize(2 * n + 1);
    char* out = key.data();
    uint8_t lowest = 0xFF;  // a rank of 0: a byte outside printable ASCII
    for (size_t i = 0; i < n; ++i) {
        uint8_t rank = kRanks[in[i]];
        lowest = rank < lowest ? rank : lowest;
        out[i] = char(rank);
    }
    if (n > 0 && lowest == 0) return false;
    if (natural && raw.find_first_of("0123456789") != std::string_view::npos) return false;
    out[n] = folder ? '\0' : '\x01';
    if (folder) {
        std::memcpy(out + n + 1, in, n);
    } else {
        for (size_t i = 0; i < n; ++i) out[n + 1 + i] = char(1 + (unsigned(in[i] - 'A') < 26u));
    }
    key.resize(2 * n + 1);
    return true;
}
