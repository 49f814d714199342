// Colours: LS_COLORS read as GNU ls reads it (or ls's built-in colours without it), and the class of each
// entry, so that a name gets the escape sequences `ls --color` gives it. No system call.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "metadata/metadata.h"

// The indicators of LS_COLORS, in ls's order.
enum ColorIndicator {
    kColorLeft, kColorRight, kColorEnd, kColorReset, kColorNormal, kColorFile, kColorDir, kColorLink,
    kColorFifo, kColorSocket, kColorBlock, kColorChar, kColorMissing, kColorOrphan, kColorExec, kColorDoor,
    kColorSetuid, kColorSetgid, kColorSticky, kColorOtherWritable, kColorStickyOtherWritable, kColorCap,
    kColorMultiHardlink, kColorClearLine, kColorIndicators
};

struct ColorTable {
    std::string seq[kColorIndicators];
    bool set[kColorIndicators] = {};       // defined (possibly empty), as ls tells "fi=" from no fi
    struct Suffix {
        std::string suffix, seq;
    };
    std::vector<Suffix> suffixes;          // "*.ext=..." and other "*..." keys, the last defined first
    bool linkAsTarget = false;             // ln=target: a link takes its target's colour
};

// ls's colours without LS_COLORS (or with it empty).
void DefaultColors(ColorTable& table);
// Reads `lsColors` (LS_COLORS's value) over the defaults; false when ls would call it unparsable. An
// unknown two-letter key puts ls's warning for it in `warning` ("unrecognized prefix: 'zz'").
bool ParseLsColors(std::string_view lsColors, ColorTable& table, std::string& warning);
// Without LS_COLORS ls colours only a terminal its database knows (`term`, TERM's value) or one that
// says it takes colour (`colorTerm`, COLORTERM's value, not empty); either may be nullptr (unset).
bool TermTakesDefaultColors(const char* term, const char* colorTerm);

// What stands before an entry's name ("" for nothing, and then nothing after it either): `name` the name
// as it is on disk, `m` its metadata (nullptr when it could not be read: then `folder` decides). ls
// writes no (when set) before every name, and a reset and the name's colour when it has one.
std::string_view ColorStart(const ColorTable& table, std::string_view name, const EntryMeta* m, bool folder,
                            std::string& scratch);
// What ends a coloured name: ec, or lc rs rc. ls also writes it once before its first colour, which
// the output starts with here.
std::string ColorEnd(const ColorTable& table);
// What ends a coloured output: lc rc, unless those are the terminal's own "\e[" and "m" (ls leaves the
// restore out then, as it would change nothing).
std::string ColorOutputEnd(const ColorTable& table);
