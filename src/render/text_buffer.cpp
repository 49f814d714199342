// The listing's text buffer: appends that never pass its capacity, the text limit with its message, and
// the hand-off of a growing buffer's text in large blocks; an entry with its decoration, and the paths
// written in place of names (tree -f).
#include <cstring>

#include "render/render.h"

void InitTextBuffer(TextBuffer& buffer, const ListLimits& limits) {
    buffer.text.clear();
    buffer.capacity = limits.textCapacity;
    buffer.limit = limits.textLimit;
    buffer.full = false;
    buffer.flushed = 0;
    if (buffer.capacity > 0) buffer.text.reserve(buffer.capacity);
}

void FlushText(TextBuffer& buffer) {
    if (!buffer.flush || buffer.text.empty()) return;
    buffer.flush(buffer.context, buffer.text);
    buffer.flushed += buffer.text.size();
    buffer.text.clear();
}

void AppendBounded(TextBuffer& buffer, std::string_view src, size_t n) {
    if (buffer.full) return;
    n = std::min(n, src.size());
    if (n == 0) return;  // an empty view may hold no pointer at all
    if (const void* nul = std::memchr(src.data(), '\0', n)) n = static_cast<const char*>(nul) - src.data();
    AppendBytes(buffer, src.substr(0, n));
}

void AppendBytes(TextBuffer& buffer, std::string_view bytes) {
    if (buffer.full || bytes.empty()) return;
    // Under a fixed capacity a piece is written whole or not at all, and then nothing more is.
    if (buffer.capacity > 0 && buffer.text.size() + bytes.size() > size_t(buffer.capacity) - 1) {
        buffer.full = true;
        return;
    }
    buffer.text.append(bytes);
    if (buffer.flush && buffer.text.size() >= kTextFlushBlock) FlushText(buffer);
}

bool CheckTextLimit(TextBuffer& buffer) {
    if (!buffer.full && (buffer.limit <= 0 || buffer.Length() <= uint64_t(buffer.limit))) return true;
    if (buffer.reportTooMuchText) buffer.reportTooMuchText(buffer.context);
    return false;
}

void AppendEntry(TextBuffer& buffer, const TextStyle& style, std::string_view name, uint32_t meta, bool folder,
                 bool shorten) {
    const LineDecor* d = style.decor;
    if (d != nullptr && d->lead != nullptr) d->lead(d->context, buffer, meta);
    if (folder) AppendBounded(buffer, style.pieces->open, style.pieces->open.size());
    if (d != nullptr && d->before != nullptr) d->before(d->context, buffer, meta, name, folder);
    style.writeName(buffer, name, shorten);
    if (d != nullptr && d->after != nullptr) d->after(d->context, buffer, meta, folder);
    if (folder) AppendBounded(buffer, style.pieces->close, style.pieces->close.size());
}

void JoinPath(std::string& out, std::string_view parent, std::string_view name) {
    out.assign(parent);
    if (!EndsInSeparator(out)) out += '/';
    out.append(name);
}

std::string_view FolderPath(EntryPaths& paths, int32_t depth, std::string_view name) {
    auto& at = paths.atDepth;
    if (at.size() <= size_t(depth)) at.resize(size_t(depth) + 1);
    if (depth == 0)
        at[0].assign(name);
    else
        JoinPath(at[depth], at[depth - 1], name);
    return at[depth];
}

std::string_view FilePath(EntryPaths& paths, int32_t depth, std::string_view name) {
    JoinPath(paths.file, paths.atDepth[depth], name);
    return paths.file;
}
