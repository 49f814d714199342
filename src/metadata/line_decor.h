// The text views' decoration: the metadata fields before an entry, the colour around its name and -F's
// marks after it, as the renderers' LineDecor hooks; the colour and order chosen. The terminal and the
// environment are asked through platform.
#pragma once

#include <string>
#include <vector>

#include "metadata/colors.h"
#include "metadata/metadata.h"
#include "render/render.h"

// The text view's decoration: the fields before an entry, the colour around its name, -F's marks after.
struct Decoration {
    const MetaTable* meta = nullptr;
    const ColorTable* colors = nullptr;  // nullptr: no colour
    NameWriter writeName = nullptr;      // for link targets, escaped as names are
    uint32_t rootMeta = kNoMeta;         // the root line's fields start the line; others follow a space
    std::string end;                     // what ends a coloured name
    std::string scratch;
    bool coloured = false;               // the name being written got a colour
};

// Fills `d` and returns the hooks over it (valid while `d` and `meta` live). `rootMeta` is the root
// row's metadata, whose fields start its line.
LineDecor MakeLineDecor(Decoration& d, const MetaTable& meta, const ColorTable* colors, NameWriter writeName,
                        uint32_t rootMeta);
// What the colour decision takes from the options.
struct ColorRequest {
    bool never = true;   // --color=never, or an output that is never coloured (--compat, JSON, Markdown,
                         // HTML, --fromfile, --parse)
    bool always = false; // --color=always; else auto: only on a terminal that allows colour
    bool toFile = false; // -o FILE: auto gives no colour
};
// Colour on this run's output (from LS_COLORS or ls's own colours into `colors`), or false: not asked,
// not a terminal for auto, NO_COLOR, TERM=dumb, without LS_COLORS a TERM that ls would not colour (and
// no COLORTERM), or LS_COLORS unparsable (then `problems` gets ls's warnings, one a line).
bool ChooseColors(const ColorRequest& request, ColorTable& colors, std::vector<std::string>& problems);
// The order of --sort none (none at all), -r (backwards) or the keys' own.
NameOrder ChosenOrder(bool sortNone, bool reverse);
