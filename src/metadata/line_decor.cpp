// The text views' decoration: fields, colour and marks around each name, and the colour and order a run
// chooses.
#include "metadata/line_decor.h"

#include <cstdlib>

#include "platform/disk_source.h"
#include "platform/terminal_color.h"

namespace {

void DecorLead(void* context, TextBuffer& buffer, uint32_t meta) {
    auto& d = *static_cast<Decoration*>(context);
    if (!d.meta->wants.Fields() || d.meta->wants.metaFirst) return;
    d.scratch.assign(meta == d.rootMeta ? "" : " ");
    AppendFields(d.scratch, *d.meta, meta);
    AppendBounded(buffer, d.scratch, d.scratch.size());
}

// --metafirst: the fields start every line, the pieces follow them.
void DecorFieldsFirst(void* context, TextBuffer& buffer, uint32_t meta) {
    auto& d = *static_cast<Decoration*>(context);
    if (!d.meta->wants.Fields() || !d.meta->wants.metaFirst) return;
    d.scratch.clear();
    AppendFields(d.scratch, *d.meta, meta);
    AppendBounded(buffer, d.scratch, d.scratch.size());
}

void DecorBefore(void* context, TextBuffer& buffer, uint32_t meta, std::string_view name, bool folder) {
    auto& d = *static_cast<Decoration*>(context);
    d.coloured = false;
    if (d.colors == nullptr) return;
    std::string_view start = ColorStart(*d.colors, name, UsableMeta(*d.meta, meta), folder, d.scratch);
    if (start.empty()) return;
    AppendBytes(buffer, start);
    d.coloured = true;
}

void DecorAfter(void* context, TextBuffer& buffer, uint32_t meta, bool folder) {
    auto& d = *static_cast<Decoration*>(context);
    if (d.coloured) AppendBytes(buffer, d.end);
    const EntryMeta* m = UsableMeta(*d.meta, meta);
    if (folder || !d.meta->wants.classify || m == nullptr) return;
    std::string_view mark = ClassifyMark(*m);
    AppendBounded(buffer, mark, mark.size());
    std::string_view target = LinkTarget(*d.meta, *m);
    if (target.empty()) return;
    AppendBounded(buffer, " -> ", 4);
    d.writeName(buffer, target, false);
}

}  // namespace

LineDecor MakeLineDecor(Decoration& d, const MetaTable& meta, const ColorTable* colors, NameWriter writeName,
                        uint32_t rootMeta) {
    d.meta = &meta;
    d.colors = colors;
    d.writeName = writeName;
    d.rootMeta = rootMeta;
    d.end = colors != nullptr ? ColorEnd(*colors) : std::string();
    return LineDecor{&d, DecorLead, DecorBefore, DecorAfter, DecorFieldsFirst};
}

bool ChooseColors(const ColorRequest& request, ColorTable& colors, std::vector<std::string>& problems) {
    if (request.never) return false;
    if (!request.always && (request.toFile || !TerminalTakesColor(kStandardOutputFd))) return false;
    const char* lsColors = std::getenv("LS_COLORS");
    if (lsColors == nullptr || *lsColors == '\0') {
        DefaultColors(colors);
        return TermTakesDefaultColors(std::getenv("TERM"), std::getenv("COLORTERM"));
    }
    std::string warning;
    if (ParseLsColors(lsColors, colors, warning)) return true;
    if (!warning.empty()) problems.push_back(warning);
    problems.push_back("unparsable value for LS_COLORS environment variable");
    return false;
}

namespace {

int CompareNever(std::string_view, std::string_view) { return 0; }
int CompareBackwards(std::string_view a, std::string_view b) { return b.compare(a); }

}  // namespace

NameOrder ChosenOrder(bool sortNone, bool reverse) {
    if (sortNone) return NameOrder{CompareNever, CompareNever, false};
    if (reverse) return NameOrder{CompareBackwards, CompareBackwards, false};
    return DiskNameOrder();
}
