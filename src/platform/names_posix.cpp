// Names on the POSIX side of the seam: collation keys for the locale in LC_COLLATE (ICU's, or bytes in
// the C locales), CP932 names for the sjis modes (codepage.h), and the order Windows delivers entries in.
#include "platform/names_posix.h"

#include "platform/ascii_order.h"
#include "platform/chars.h"
#include "platform/disk_source.h"

#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <strings.h>

namespace {

// ICU's name for the POSIX locale name `posix` ("ja_JP.UTF-8@mod" -> "ja_JP"). The C and POSIX locales
// (C.UTF-8 too) get ICU's root collation, which only the Windows program's order uses there (ICU would
// map them to en_US_POSIX). Names ICU does not know fall back to root inside ucol_open.
std::string IcuLocaleFor(const char* posix) {
    std::string_view name = posix ? posix : "";
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX") return "root";
    return std::string(name);
}

// True for the collation locales whose order is byte order, as `ls` and `tree` sort there: C, POSIX and
// C.UTF-8 (glibc also spells it C.utf8).
bool IsByteOrderLocale(const char* posix) {
    std::string_view name = posix ? posix : "";
    name = name.substr(0, name.find('@'));
    return name == "C" || name == "POSIX" || name == "C.UTF-8" || name == "C.utf8";
}

// The C locales' keys, compared as bytes like ICU's. A folder's: the name with ASCII letters lowered
// (strcasecmp's order there); a file's: the name itself. With `natural` each run of ASCII digits becomes
// '0' (a digit, so it compares with other bytes as the run's first digit does), its count of significant
// digits in two bytes that are never 0x00, and those digits: runs compare by value ("9" < "10"), and the
// rest of the name by bytes. A key made here holds no 0x00 byte, as an ICU sort key does not.
void ByteOrderKey(std::string_view raw, bool folder, bool natural, std::string& key) {
    if (!natural) {  // the name itself, a folder's with ASCII letters lowered: one copy, no byte appended alone
        key.assign(raw);
        if (folder)
            for (char& c : key) c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        return;
    }
    key.clear();
    for (size_t i = 0; i < raw.size();) {
        char c = raw[i];
        if (natural && c >= '0' && c <= '9') {
            size_t end = i;
            while (end < raw.size() && raw[end] >= '0' && raw[end] <= '9') ++end;
            size_t first = i;
            while (first < end && raw[first] == '0') ++first;
            size_t digits = end - first;
            key += '0';
            key += char(1 + digits / 255);
            key += char(1 + digits % 255);
            key.append(raw, first, digits);
            i = end;
            continue;
        }
        key += folder && c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        ++i;
    }
}

// The C locale's ASCII is read as UTF-8: names on Linux are UTF-8 far more often than not.
bool ReadsAsUtf8(const char* codeset) {
    for (const char* name : {"UTF-8", "UTF8", "ANSI_X3.4-1968", "ASCII", "US-ASCII"}) {
        if (strcasecmp(codeset, name) == 0) return true;
    }
    return false;
}

UCollator* OpenCollator(const IcuApi& icu, const std::string& locale, UColAttributeValue strength,
                        std::string& error) {
    UErrorCode err = U_ZERO_ERROR;
    UCollator* collator = icu.openCollator(locale.c_str(), &err);
    if (U_SUCCESS(err)) icu.setAttribute(collator, UCOL_STRENGTH, strength, &err);
    if (U_SUCCESS(err) && strength == UCOL_TERTIARY) {
        icu.setAttribute(collator, UCOL_CASE_FIRST, UCOL_LOWER_FIRST, &err);
    }
    if (U_FAILURE(err)) {
        error = "cannot set up the collation for '" + locale + "': " + icu.errorName(err);
        icu.closeCollator(collator);
        return nullptr;
    }
    return collator;
}

// ICU for the listing's names; nullptr, with the reason in namesError, when it cannot be loaded.
const IcuApi* NamesIcu(DiskSourceImpl& impl, IcuPart part) {
    const IcuApi* icu = LoadIcu(part);
    if (icu == nullptr && impl.namesError.empty()) impl.namesError = IcuLoadError();
    return icu;
}

// Decodes `raw` into impl.text (invalid bytes become U+FFFD) and returns its length in UTF-16 units.
// ICU is loaded (the collators or the decoder opened) before.
int32_t Decode(DiskSourceImpl& impl, std::string_view raw) {
    const IcuApi& icu = *LoadIcu(IcuPart::kCharacters);
    if (impl.text.size() < raw.size() + 1) impl.text.resize(raw.size() + 1);
    for (;;) {
        UErrorCode err = U_ZERO_ERROR;
        int32_t len = 0;
        auto capacity = static_cast<int32_t>(impl.text.size());
        auto rawLen = static_cast<int32_t>(raw.size());
        if (impl.utf8) {
            icu.fromUtf8(impl.text.data(), capacity, &len, raw.data(), rawLen, 0xFFFD, nullptr, &err);
        } else {
            len = icu.toUChars(impl.decoder, impl.text.data(), capacity, raw.data(), rawLen, &err);
        }
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            impl.text.resize(static_cast<size_t>(len) + 1);
            continue;
        }
        return U_FAILURE(err) ? 0 : len;
    }
}

// Bytes of the character at p in the locale's encoding, 0 when they are not a valid one.
size_t CharLength(const DiskSourceImpl& impl, const char* p, size_t n) {
    if (impl.utf8) return Utf8Length(reinterpret_cast<const unsigned char*>(p), n);
    std::mbstate_t state{};
    size_t len = std::mbrlen(p, n, &state);
    return len == static_cast<size_t>(-1) || len == static_cast<size_t>(-2) ? 0 : std::max<size_t>(len, 1);
}

}  // namespace

size_t Utf8Length(const unsigned char* p, size_t n) {
    if (n == 0) return 0;
    int32_t i = 0;
    return NextUtf8(p, i, int32_t(std::min<size_t>(n, 4))) < 0 ? 0 : size_t(i);
}

namespace {

// The sort key ICU makes for the one character `c`, without its terminating 0x00.
std::string OneCharKey(UCollator* collator, UChar c) {
    uint8_t key[64];
    int32_t n = LoadIcu(IcuPart::kCollation)->sortKey(collator, &c, 1, key, sizeof key);
    return n > 0 && n <= int32_t(sizeof key) ? std::string(reinterpret_cast<char*>(key), size_t(n - 1)) : "";
}

// Reads ICU's weights of every printable ASCII character for ComposeIcuKey. A character qualifies where
// its folder key is "primary bytes, 01, 05" and its file key the same followed by "01, 05" (the common
// tertiary weight) or "01, T" with one byte T above the run bytes (upper case): one collation element,
// common secondary weight. Digits qualify only without natural order.
void ReadAsciiWeights(DiskSourceImpl& impl) {
    for (int c = 0; c < 128; ++c) {
        DiskSourceImpl::AsciiWeight& weight = impl.asciiWeights[c];
        weight = {};
        if (c < 0x20 || c > 0x7E || (impl.natural && c >= '0' && c <= '9')) continue;
        std::string folder = OneCharKey(impl.folderCollator, UChar(c));
        std::string file = OneCharKey(impl.fileCollator, UChar(c));
        size_t cut = folder.find('\x01');
        if (cut == 0 || cut == std::string::npos || folder.substr(cut) != "\x01\x05") continue;
        std::string primary = folder.substr(0, cut);
        if (primary.size() > sizeof weight.primary || primary.find_first_of(std::string("\x00\x01\x02", 3)) != std::string::npos)
            continue;
        if (file.size() != folder.size() + 2 || file.compare(0, folder.size(), folder) != 0 || file[folder.size()] != '\x01')
            continue;
        auto tertiary = uint8_t(file.back());
        if (tertiary != 0x05 && tertiary <= 0x45) continue;
        weight.length = uint8_t(primary.size());
        std::memcpy(weight.primary, primary.data(), primary.size());
        weight.tertiary = tertiary == 0x05 ? 0 : tertiary;
    }
}

}  // namespace

bool OpenCollators(DiskSourceImpl& impl) {
    if (impl.collatorsTried) return impl.fileCollator != nullptr;
    impl.collatorsTried = true;
    const IcuApi* icu = NamesIcu(impl, IcuPart::kCollation);
    if (icu == nullptr) return false;
    std::string& error = impl.namesError;
    impl.folderCollator = OpenCollator(*icu, impl.icuLocale, UCOL_SECONDARY, error);
    if (impl.folderCollator) impl.fileCollator = OpenCollator(*icu, impl.icuLocale, UCOL_TERTIARY, error);
    UErrorCode err = U_ZERO_ERROR;
    if (impl.fileCollator && impl.natural) {
        icu->setAttribute(impl.folderCollator, UCOL_NUMERIC_COLLATION, UCOL_ON, &err);
        icu->setAttribute(impl.fileCollator, UCOL_NUMERIC_COLLATION, UCOL_ON, &err);
        if (U_FAILURE(err)) error = "cannot set up natural order in the collation";
    }
    if (!error.empty()) {
        if (impl.folderCollator) icu->closeCollator(impl.folderCollator);
        if (impl.fileCollator) icu->closeCollator(impl.fileCollator);
        impl.folderCollator = impl.fileCollator = nullptr;
        return false;
    }
    const char* valid = icu->localeByType(impl.fileCollator, ULOC_VALID_LOCALE, &err);
    impl.collationLocale = U_SUCCESS(err) && valid && *valid ? valid : "root";
    ReadAsciiWeights(impl);
    return true;
}

bool OpenCp932(DiskSourceImpl& impl) {
    if (impl.toCp932 != nullptr) return true;
    if (!impl.namesError.empty()) return false;
    impl.toCp932 = OpenCodePageConversion("CP932", impl.utf8 ? "UTF-8" : impl.codeset.c_str());
    if (impl.toCp932 != nullptr) return true;
    impl.namesError = "cannot convert names from '" + impl.codeset + "' to CP932: " + std::strerror(errno);
    return false;
}

bool OpenNames(DiskSourceImpl& impl, std::string& error) {
    // The collators and the CP932 converter are opened when first needed (OpenCollators, OpenCp932): a
    // listing whose names all have ASCII keys never loads ICU's collation data, nor one in utf8 mode the
    // converter's module.
    const char* collate = std::setlocale(LC_COLLATE, nullptr);
    impl.byteOrder = IsByteOrderLocale(collate);
    std::string locale = IcuLocaleFor(collate);
    impl.icuLocale = locale;
    UErrorCode err = U_ZERO_ERROR;

    const char* codeset = nl_langinfo(CODESET);
    impl.codeset = codeset ? codeset : "";
    impl.utf8 = ReadsAsUtf8(impl.codeset.c_str());
    // Keys made without ICU give ICU's order: in the C locales, where names are in byte order, they
    // serve only the Windows program's order, which takes ICU's keys whole.
    impl.asciiKeys = impl.utf8 && !impl.byteOrder && AsciiOrderHolds(locale);
    if (!impl.utf8) {  // every name but those of the C locales' byte order is decoded: ICU is loaded now
        const IcuApi* icu = LoadIcu(IcuPart::kCharacters);
        if (icu == nullptr) {
            error = IcuLoadError();
            return false;
        }
        err = U_ZERO_ERROR;
        impl.decoder = icu->openConverter(impl.codeset.c_str(), &err);
        if (U_FAILURE(err)) {
            error = "cannot decode names in the locale's encoding '" + impl.codeset + "': " + icu->errorName(err);
            return false;
        }
    }
    return true;
}

void CloseNames(DiskSourceImpl& impl) {
    // Collators and a decoder exist only where ICU was loaded.
    if (impl.folderCollator) LoadIcu(IcuPart::kCollation)->closeCollator(impl.folderCollator);
    if (impl.fileCollator) LoadIcu(IcuPart::kCollation)->closeCollator(impl.fileCollator);
    if (impl.decoder) LoadIcu(IcuPart::kCharacters)->closeConverter(impl.decoder);
    CloseCodePageConversion(impl.toCp932);
    impl.folderCollator = impl.fileCollator = nullptr;
    impl.collatorsTried = false;
    impl.decoder = nullptr;
    impl.toCp932 = nullptr;
}

void ReadyNameCharacters(DiskSourceImpl& impl, std::string_view raw) {
    if (!ReadyCharacterData(raw) && impl.namesError.empty()) impl.namesError = CharacterDataError();
}

namespace {

// Writes a run of `count` common weights (05) at `out` as ICU's sort keys compress it: `count` - 1
// counted down in steps of 0x21 (each a 0x25 byte), the rest added to 0x05 where the level ends or a
// lower weight follows, taken from 0x45 where a higher weight follows. Secondary and tertiary levels
// alike (the tertiary one with lower case first). Returns the end of what it wrote.
char* PutCommonRun(char* out, size_t count, bool higherFollows) {
    if (count == 0) return out;
    --count;
    for (; count >= 0x21; count -= 0x21) *out++ = '\x25';
    *out++ = char(higherFollows ? 0x45 - count : 0x05 + count);
    return out;
}

}  // namespace

bool ComposeIcuKey(DiskSourceImpl& impl, std::string_view raw, bool folder, bool tieBreak) {
    if (raw.empty() || !OpenCollators(impl)) return false;
    std::string& key = impl.key;
    size_t n = raw.size();
    // At most 7 primary bytes a character, two level separators, a run byte a character on each of two
    // levels plus one, the tertiary bytes, the tie-break.
    size_t most = 7 * n + 2 + 2 * (n + 1) + n + 1 + n;
    if (key.size() < most) key.resize(most);
    char* out = key.data();
    for (char ch : raw) {
        auto c = uint8_t(ch);
        if (c >= 128 || impl.asciiWeights[c].length == 0) return false;
        std::memcpy(out, impl.asciiWeights[c].primary, sizeof impl.asciiWeights[c].primary);
        out += impl.asciiWeights[c].length;
    }
    *out++ = '\x01';
    out = PutCommonRun(out, n, false);  // every character's secondary weight is the common one
    if (!folder) {
        *out++ = '\x01';
        size_t common = 0;
        for (char ch : raw) {
            uint8_t tertiary = impl.asciiWeights[uint8_t(ch)].tertiary;
            if (tertiary == 0) {
                ++common;
                continue;
            }
            out = PutCommonRun(out, common, true);
            common = 0;
            *out++ = char(tertiary);
        }
        out = PutCommonRun(out, common, false);
    }
    if (tieBreak) {
        *out++ = '\0';
        std::memcpy(out, raw.data(), n);
        out += n;
    }
    key.resize(size_t(out - key.data()));
    return true;
}

std::string_view MakeKey(DiskSourceImpl& impl, std::string_view raw, bool folder, bool tieBreak) {
    if (impl.byteOrder && tieBreak) {  // the C locales; the Windows program's order keeps ICU's
        ByteOrderKey(raw, folder, impl.natural, impl.key);
        // A file's key is its name unless runs of digits were rewritten: then "01" and "1" tie.
        if (folder || impl.natural) {
            impl.key += '\0';
            impl.key += raw;
        }
        return impl.key;
    }
    if (!OpenCollators(impl)) {  // the listing is refused (DiskNamesError); any key will do meanwhile
        impl.key.assign(raw);
        return impl.key;
    }
    UCollator* collator = folder ? impl.folderCollator : impl.fileCollator;
    int32_t len = Decode(impl, raw);
    if (impl.sortKey.size() < 256) impl.sortKey.resize(256);
    // The length returned counts the terminating 0x00; a key that did not fit is made again, whole.
    const IcuApi& icu = *LoadIcu(IcuPart::kCollation);
    int32_t n = icu.sortKey(collator, impl.text.data(), len, impl.sortKey.data(),
                            static_cast<int32_t>(impl.sortKey.size()));
    if (n > static_cast<int32_t>(impl.sortKey.size())) {
        impl.sortKey.resize(static_cast<size_t>(n));
        n = icu.sortKey(collator, impl.text.data(), len, impl.sortKey.data(), n);
    }
    auto* bytes = reinterpret_cast<const char*>(impl.sortKey.data());
    impl.key.assign(bytes, n > 0 ? static_cast<size_t>(n - 1) : 0);
    if (tieBreak) {
        impl.key += '\0';
        impl.key += raw;
    }
    return impl.key;
}

namespace {

// One '?' for a character CP932 lacks, or for the single byte that does not start a valid one.
size_t QuestionMark(void* context, std::string_view rest, std::string& out) {
    out += '?';
    return std::max<size_t>(CharLength(*static_cast<DiskSourceImpl*>(context), rest.data(), rest.size()), 1);
}

// Appends `raw` converted to CP932, '?' for what cannot be converted.
void AppendCp932(DiskSourceImpl& impl, std::string_view raw, std::string& out) {
    AppendConverted(*impl.toCp932, raw, out, QuestionMark, &impl);
}

// Unicode tag characters (U+E0000 ... U+E007F: F3 A0 80 80 ... F3 A0 81 BF in UTF-8), which glibc's
// converters drop without a word: a name made of them would show as nothing at all.
size_t FindTag(std::string_view s, size_t from) {
    for (size_t i = s.find('\xF3', from); i != std::string_view::npos; i = s.find('\xF3', i + 1)) {
        if (i + 3 < s.size() && uint8_t(s[i + 1]) == 0xA0 && (uint8_t(s[i + 2]) & 0xFE) == 0x80 &&
            (uint8_t(s[i + 3]) & 0xC0) == 0x80)
            return i;
    }
    return std::string_view::npos;
}

}  // namespace

std::string_view ToCp932(DiskSourceImpl& impl, std::string_view raw) {
    std::string& out = impl.shown;
    out.clear();
    if (!OpenCp932(impl)) return raw;  // the listing is refused (DiskNamesError)
    size_t from = 0;
    if (impl.utf8) {
        for (size_t tag = FindTag(raw, 0); tag != std::string_view::npos; tag = FindTag(raw, from)) {
            AppendCp932(impl, raw.substr(from, tag - from), out);
            out += '?';
            from = tag + 4;
        }
    }
    AppendCp932(impl, raw.substr(from), out);
    return out;
}

void SortAsWindows(DiskSourceImpl& impl, EntryList& list, size_t first) {
    size_t count = list.entries.size() - first;
    if (count < 2) return;
    const IcuApi* icu = NamesIcu(impl, IcuPart::kCharacters);
    if (icu == nullptr) return;  // the listing is refused (DiskNamesError)
    impl.upper.clear();
    impl.upperEnd.clear();
    impl.order.clear();
    for (size_t i = 0; i < count; ++i) {
        int32_t len = Decode(impl, list.Raw(list.entries[first + i]));
        for (int32_t k = 0; k < len; ++k) {
            // One code unit at a time, as the file system's upcase table works: surrogates stay as they are.
            UChar32 up = icu->toUpper(impl.text[k]);
            impl.upper.push_back(up <= 0xFFFF ? static_cast<UChar>(up) : impl.text[k]);
        }
        impl.upperEnd.push_back(static_cast<uint32_t>(impl.upper.size()));
        impl.order.push_back(static_cast<uint32_t>(i));
    }
    auto upperOf = [&impl](uint32_t i) {
        uint32_t begin = i == 0 ? 0 : impl.upperEnd[i - 1];
        return std::u16string_view(reinterpret_cast<const char16_t*>(impl.upper.data()) + begin,
                                   impl.upperEnd[i] - begin);
    };
    std::sort(impl.order.begin(), impl.order.end(), [&](uint32_t a, uint32_t b) {
        int byUnits = upperOf(a).compare(upperOf(b));
        if (byUnits != 0) return byUnits < 0;
        return list.Raw(list.entries[first + a]) < list.Raw(list.entries[first + b]);
    });
    impl.moved.clear();
    for (uint32_t i : impl.order) impl.moved.push_back(list.entries[first + i]);
    std::copy(impl.moved.begin(), impl.moved.end(), list.entries.begin() + static_cast<ptrdiff_t>(first));
}

bool SetNaturalOrder(DiskSource& source) {
    DiskSourceImpl& impl = *source.impl;
    impl.natural = true;
    if (!impl.fileCollator) return true;  // set as the collators open
    const IcuApi& icu = *LoadIcu(IcuPart::kCollation);
    UErrorCode err = U_ZERO_ERROR;
    icu.setAttribute(impl.folderCollator, UCOL_NUMERIC_COLLATION, UCOL_ON, &err);
    icu.setAttribute(impl.fileCollator, UCOL_NUMERIC_COLLATION, UCOL_ON, &err);
    ReadAsciiWeights(impl);  // digits no longer qualify
    return U_SUCCESS(err);
}
