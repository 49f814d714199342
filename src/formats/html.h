// --format html (POSIX side): one self-contained page streamed through the text buffer from the ordered
// tables. Folders fold (<details open>), files are list items, every name a link; no script, nothing
// loaded from elsewhere.
#pragma once

#include <string>
#include <string_view>

#include "formats/formats.h"
#include "listing/listing.h"
#include "render/render.h"

struct HtmlPage {
    std::string title;     // empty: the root's name
    std::string baseHref;  // empty: links relative to FOLDER (right for a page saved in FOLDER)
    bool noLinks = false;  // names without links
    const std::string* intro = nullptr;  // when given: the page's start up to its <h1> line, instead of ours
    const std::string* outro = nullptr;  // when given: the page's end after the listing, instead of ours
};

void RenderHtml(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                const FormatExtras& extras, const HtmlPage& page);

// Appends `text` with &, <, >, " and ' as character references.
void AppendHtmlEscaped(std::string& out, std::string_view text);
// Appends one path component for a URL: every byte but A-Z a-z 0-9 - . _ ~ percent-encoded.
void AppendPercentEncoded(std::string& out, std::string_view component);
