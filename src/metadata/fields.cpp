// The fields drawn before a name (mode, size, date, right-aligned to the listing's widths) and -F's marks:
// text made from the metadata table, no system call.
#include "metadata/metadata.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "platform/messages.h"

namespace {

void PadLeft(std::string& out, std::string_view text, size_t width) {
    if (text.size() < width) out.append(width - text.size(), ' ');
    out.append(text);
    out += ' ';
}

// Names stand left-aligned, as ls -l writes owners and groups.
void PadRight(std::string& out, std::string_view text, size_t width) {
    out.append(text);
    if (text.size() < width) out.append(width - text.size(), ' ');
    out += ' ';
}

// PowerShell's Mode column: the attribute of each of kAttributeLetters' places.
constexpr uint32_t kAttributeBits[] = {kAttributeFolder, kAttributeArchive, kAttributeReadOnly,
                                       kAttributeHidden, kAttributeSystem, kAttributeReparsePoint};
static_assert(std::size(kAttributeBits) == kAttributeLetters.size());

size_t Digits(uint64_t n) { return std::to_string(n).size(); }

// The name of `id` from `names`, looked up once.
const std::string& NameOnce(std::unordered_map<uint32_t, std::string>& names, uint32_t id,
                            std::string (*lookUp)(uint32_t)) {
    auto found = names.find(id);
    if (found == names.end()) found = names.emplace(id, lookUp(id)).first;
    return found->second;
}

std::string_view NameIn(const std::unordered_map<uint32_t, std::string>& names, uint32_t id) {
    auto found = names.find(id);
    return found != names.end() ? std::string_view(found->second) : std::string_view("?");
}

}  // namespace

void MeasureFields(const ListingTables& tables, int32_t folderLast, MetaTable& table) {
    const MetaWants& w = table.wants;
    if (!w.Fields()) return;
    int64_t lastTime = 0;
    uint32_t lastDate = 0, lastLen = 0;
    bool haveLast = false, lastShown = true;
    uint64_t largest = 0;
    std::string text;
    auto measure = [&](uint32_t meta, std::string_view name) {
        if (meta == kNoMeta || meta >= table.entries.size()) return;
        EntryMeta& m = table.entries[meta];
        if (m.flags & kMetaMissing) return;
        if (w.size && (w.human || w.si))
            table.sizeWidth = std::max(table.sizeWidth, FormatSize(m.size, w.human, w.si).size());
        largest = std::max(largest, m.size);  // plain bytes: the widest is the largest
        if (w.inode) table.inodeWidth = std::max(table.inodeWidth, Digits(m.ino));
        if (w.device) table.deviceWidth = std::max(table.deviceWidth, Digits(DeviceNumber(m.dev)));
        if (w.owner) table.ownerWidth = std::max(table.ownerWidth, NameOnce(table.owners, m.uid, UserName).size());
        if (w.group) table.groupWidth = std::max(table.groupWidth, NameOnce(table.groups, m.gid, GroupName).size());
        if (!w.date) return;
        // Neighbours often share a time: the text made for the last one serves again.
        int64_t time = ShownTime(w, m);
        if (!haveLast || time != lastTime) {
            lastShown = FormatTime(text, w.timeFormat, time);
            lastDate = uint32_t(table.dates.size());
            lastLen = uint32_t(text.size());
            table.dates += text;
            lastTime = time;
            haveLast = true;
        }
        if (!lastShown) {
            ++table.failures;
            PrintCapped("dates that cannot be shown",
                        "cannot show the date of " + Quoted(name) + ": " + std::to_string(ShownTime(w, m)) +
                            " seconds since 1970 is past the calendar of this system's time zone");
        }
        m.date = lastDate;
        m.dateLen = lastLen;
        table.dateWidth = std::max<size_t>(table.dateWidth, lastLen);
    };
    for (int32_t r = 0; r <= folderLast; ++r) measure(tables.folders[r].meta, tables.Name(tables.folders[r]));
    for (const FileEntry& f : tables.files) measure(f.meta, tables.Name(f));
    if (w.size && !w.human && !w.si) table.sizeWidth = std::to_string(largest).size();
    // At least one column each, for the "?" of an entry that could not be read.
    for (size_t* width : {&table.sizeWidth, &table.dateWidth, &table.inodeWidth, &table.deviceWidth,
                          &table.ownerWidth, &table.groupWidth})
        *width = std::max<size_t>(*width, 1);
}

void AppendFields(std::string& out, const MetaTable& table, uint32_t meta) {
    const MetaWants& w = table.wants;
    const EntryMeta* m = UsableMeta(table, meta);
    if (w.inode) PadLeft(out, m ? std::to_string(m->ino) : "?", table.inodeWidth);
    if (w.device) PadLeft(out, m ? std::to_string(DeviceNumber(m->dev)) : "?", table.deviceWidth);
    if (w.perms) PadLeft(out, m ? ShownMode(*m) : "?", kAttributesForModes ? kAttributeLetters.size() : 10);
    if (w.owner) PadRight(out, m ? NameIn(table.owners, m->uid) : "?", table.ownerWidth);
    if (w.group) PadRight(out, m ? NameIn(table.groups, m->gid) : "?", table.groupWidth);
    if (w.size) {
        if (m != nullptr && !w.human && !w.si) {
            char digits[24];
            auto end = std::to_chars(digits, digits + sizeof digits, m->size).ptr;
            PadLeft(out, std::string_view(digits, size_t(end - digits)), table.sizeWidth);
        } else {
            PadLeft(out, m ? FormatSize(m->size, w.human, w.si) : "?", table.sizeWidth);
        }
    }
    if (w.date)
        PadLeft(out, m ? std::string_view(table.dates).substr(m->date, m->dateLen) : "?", table.dateWidth);
}

std::string FormatSize(uint64_t bytes, bool human, bool si) {
    if (!human && !si) return std::to_string(bytes);
    const unsigned base = si ? 1000 : 1024;
    static const char kUnits1024[] = "KMGTPE";
    static const char kUnits1000[] = "kMGTPE";
    const char* units = si ? kUnits1000 : kUnits1024;
    if (bytes < base) return std::to_string(bytes);
    // The largest power of the base not above the size; the value shown is bytes / power, rounded up
    // as ls rounds: one decimal below 10, whole numbers from 10 on, 1024K becoming 1.0M.
    unsigned __int128 power = base;
    int exponent = 0;
    while (exponent < 5 && bytes / power >= base) {
        power *= base;
        ++exponent;
    }
    unsigned __int128 n = bytes;
    if (n / power < 10) {
        auto tenths = uint64_t((n * 10 + power - 1) / power);
        if (tenths < 100)
            return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + units[exponent];
        return std::string("10") + units[exponent];
    }
    auto whole = uint64_t((n + power - 1) / power);
    if (whole >= base && exponent < 5) return std::string("1.0") + units[exponent + 1];
    return std::to_string(whole) + units[exponent];
}

std::string FormatMode(uint32_t mode) {
    static const struct {
        EntryType type;
        char letter;
    } kLetters[] = {{kTypeFolder, 'd'}, {kTypeLink, 'l'}, {kTypeFifo, 'p'},
                    {kTypeSocket, 's'}, {kTypeBlock, 'b'}, {kTypeChar, 'c'}};
    std::string s(10, '-');
    for (const auto& l : kLetters)
        if (TypeOf(mode) == l.type) s[0] = l.letter;
    static const char kRwx[] = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i)
        if (mode & (1u << (8 - i))) s[size_t(i) + 1] = kRwx[i];
    auto special = [&](size_t at, uint32_t bit, char set) {
        if (mode & bit) s[at] = s[at] == 'x' ? set : char(set - 'a' + 'A');
    };
    special(3, kModeSetuid, 's');
    special(6, kModeSetgid, 's');
    special(9, kModeSticky, 't');
    return s;
}

std::string FormatAttributes(uint32_t attributes) {
    std::string s(kAttributeLetters.size(), '-');
    for (size_t i = 0; i < s.size(); ++i)
        if (attributes & kAttributeBits[i]) s[i] = kAttributeLetters[i];
    return s;
}

std::string ShownMode(const EntryMeta& m) {
    return kAttributesForModes ? FormatAttributes(m.attributes) : FormatMode(m.mode);
}

std::string OctalMode(uint32_t mode) {
    std::string s(4, '0');
    for (int i = 3; i >= 0; --i, mode >>= 3) s[size_t(i)] = char('0' + (mode & 7));
    return s;
}

std::string_view ClassifyMark(const EntryMeta& m) {
    if (m.flags & kMetaMissing) return {};
    if (m.flags & kMetaLink) return "@";
    EntryType type = TypeOf(m.mode);
    if (type == kTypeFifo) return "|";
    if (type == kTypeSocket) return "=";
    if (type == kTypeFile && (m.mode & kModeAnyExec)) return "*";
    return {};
}

std::string_view LinkTarget(const MetaTable& table, const EntryMeta& m) {
    if (!(m.flags & kMetaLink) || m.targetLen == 0) return {};
    return std::string_view(table.targets).substr(m.target, m.targetLen);
}

bool NotFollowed(const MetaTable* table, uint32_t meta) {
    return table != nullptr && meta < table->entries.size() && (table->entries[meta].flags & kMetaRecursive);
}

bool TimeFormatDangling(std::string_view format) {
    size_t percents = 0;
    size_t end = format.size();
    // "%E" and "%O" are modifiers waiting for a conversion.
    if (end >= 2 && (format[end - 1] == 'E' || format[end - 1] == 'O')) {
        size_t run = 0;
        while (run < end - 1 && format[end - 2 - run] == '%') ++run;
        if (run % 2 == 1) return true;
    }
    while (percents < end && format[end - 1 - percents] == '%') ++percents;
    return percents % 2 == 1;
}
