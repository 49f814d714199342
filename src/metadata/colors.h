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
// Reads `lsColors` (LS_COLORS's value) over the defaults; false when ls would call it unparsable.
bool ParseLsColors(std::string_view lsColors, ColorTable& table);

// What starts the colour of an entry's name ("" for none): `name` the name shown, `m` its metadata
// (nullptr when it could not be read: then `folder` decides).
std::string_view ColorStart(const ColorTable& table, std::string_view name, const EntryMeta* m, bool folder,
                            std::string& scratch);
// What ends a coloured name: ec, or lc rs rc.
std::string ColorEnd(const ColorTable& table);
