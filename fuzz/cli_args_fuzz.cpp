// Fuzz target: the command line's argument parser on arbitrary argument vectors (the input split at NUL
// bytes). A usage error must come with a one-line, printable reason; accepted options must be coherent
// and survive being written back as arguments and parsed again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/option_table.h"
#include "cli/options.h"

namespace {

constexpr size_t kMaxArguments = 40;

[[noreturn]] void Fail(const char* what, const std::vector<std::string>& args, const std::string& detail) {
    std::fprintf(stderr, "cli_args_fuzz: %s (%s)\n  arguments:", what, detail.c_str());
    for (const std::string& a : args) {
        std::fputs(" '", stderr);
        for (unsigned char ch : a) std::fprintf(stderr, ch >= 0x20 && ch < 0x7F ? "%c" : "\\x%02x", ch);
        std::fputs("'", stderr);
    }
    std::fputs("\n", stderr);
    std::abort();
}

// Length of the well-formed UTF-8 sequence at s[i] (shortest form, no surrogates, at most U+10FFFF), or 0.
size_t Utf8At(const std::string& s, size_t i) {
    auto b = [&](size_t k) { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0x100u; };
    unsigned c = b(0);
    if (c < 0x80) return 1;
    auto cont = [&](size_t k, unsigned lo, unsigned hi) { return b(k) >= lo && b(k) <= hi; };
    if (c >= 0xC2 && c <= 0xDF) return cont(1, 0x80, 0xBF) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        unsigned lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
        return cont(1, lo, hi) && cont(2, 0x80, 0xBF) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        unsigned lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
        return cont(1, lo, hi) && cont(2, 0x80, 0xBF) && cont(3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

// A message that stays on its line of a terminal: valid UTF-8 without C0, DEL, C1 or U+2028/U+2029.
bool OneLine(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        size_t n = Utf8At(text, i);
        if (n == 0) return false;
        unsigned char c = text[i];
        if (c < 0x20 || c == 0x7F) return false;
        if (n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) return false;
        if (n == 3 && text.compare(i, 2, "\xE2\x80") == 0 && (text[i + 2] == '\xA8' || text[i + 2] == '\xA9'))
            return false;
        i += n;
    }
    return true;
}

CommandAction Parse(const std::vector<std::string>& args, CliOptions& options, std::string& error) {
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    return ParseArguments(int(args.size()), argv.data(), options, error);
}

bool SameMeta(const CliOptions& a, const CliOptions& b) {
    const MetaWants &x = a.meta, &y = b.meta;
    return x.size == y.size && x.human == y.human && x.si == y.si && x.du == y.du && x.date == y.date &&
           x.timeFormat == y.timeFormat && x.perms == y.perms && x.classify == y.classify && x.follow == y.follow &&
           x.oneFileSystem == y.oneFileSystem && x.sortSize == y.sortSize && x.sortMtime == y.sortMtime &&
           x.sortCtime == y.sortCtime && x.owner == y.owner && x.group == y.group && x.inode == y.inode &&
           x.device == y.device && x.changeTime == y.changeTime && x.metaFirst == y.metaFirst &&
           a.sort == b.sort && a.reverse == b.reverse && a.color == b.color && a.natural == b.natural;
}

bool Same(const CliOptions& a, const CliOptions& b) {
    const ListOptions &x = a.list, &y = b.list;
    return x.subfolders == y.subfolders && x.folderNames == y.folderNames && x.fileNames == y.fileNames &&
           x.treeView == y.treeView && x.nameLimit == y.nameLimit && x.maxDepth == y.maxDepth && a.sjis == b.sjis &&
           a.compat == b.compat && a.folder == b.folder && a.output == b.output && SameMeta(a, b) &&
           a.format == b.format && a.fromFile == b.fromFile && a.parse == b.parse && a.nul == b.nul &&
           a.listFile == b.listFile && a.parseEncoding == b.parseEncoding && a.title == b.title &&
           a.baseHref == b.baseHref && a.fullPath == b.fullPath && a.noPieces == b.noPieces &&
           a.hideControl == b.hideControl && a.quoteName == b.quoteName && a.noLinks == b.noLinks &&
           a.htmlIntro == b.htmlIntro && a.htmlOutro == b.htmlOutro && a.ignoreCase == b.ignoreCase &&
           a.matchDirs == b.matchDirs && a.gitFiles == b.gitFiles && a.listLinks == b.listLinks &&
           a.listFiles == b.listFiles && a.filesFirst == b.filesFirst;
}

// "--name=word" for the word of the option table that stands for `value`.
std::string WordOf(std::string_view name, int value) {
    std::string candidates;
    const OptionRow* row = FindLongOption(name, candidates);
    const ValueWord* word = row != nullptr ? FindWordOf(*row, value) : nullptr;
    if (word == nullptr) Fail("a value without its word", {std::string(name)}, std::to_string(value));
    return "--" + std::string(name) + "=" + std::string(word->word);
}

// The arguments that say exactly what `o` says, in the plainest spelling.
std::vector<std::string> WrittenBack(const CliOptions& o) {
    std::vector<std::string> args{"arbolin"};
    if (!o.list.subfolders) args.push_back("--no-subfolders");
    if (!o.list.folderNames) args.push_back("--no-folder-names");
    if (!o.list.fileNames) args.push_back("--no-file-names");
    if (!o.list.treeView) args.push_back("--indented");
    if (o.list.nameLimit) args.push_back("--name-limit");
    if (o.compat) {
        args.push_back("--compat");
        if (o.list.maxDepth != kUnlimitedDepth) args.push_back("--depth=" + std::to_string(o.list.maxDepth));
    } else {
        if (o.sjis) args.push_back("--encoding=sjis");
        if (o.list.maxDepth != INT32_MAX) args.push_back("--depth=" + std::to_string(o.list.maxDepth));
    }
    if (!o.output.empty()) args.push_back("--output=" + o.output);
    const MetaWants& m = o.meta;
    const char* flags[][2] = {{"--size", m.size ? "1" : nullptr},   {"--human", m.human ? "1" : nullptr},
                              {"--si", m.si ? "1" : nullptr},       {"--du", m.du ? "1" : nullptr},
                              {"--date", m.date ? "1" : nullptr},   {"--perms", m.perms ? "1" : nullptr},
                              {"--classify", m.classify ? "1" : nullptr}, {"--follow", m.follow ? "1" : nullptr},
                              {"--one-file-system", m.oneFileSystem ? "1" : nullptr},
                              {"--reverse", o.reverse ? "1" : nullptr}, {"--natural", o.natural ? "1" : nullptr},
                              {"--full-path", o.fullPath ? "1" : nullptr}, {"--no-pieces", o.noPieces ? "1" : nullptr},
                              {"--hide-control-chars", o.hideControl ? "1" : nullptr},
                              {"--quote-name", o.quoteName ? "1" : nullptr}, {"--nolinks", o.noLinks ? "1" : nullptr},
                              {"--ignore-case", o.ignoreCase ? "1" : nullptr},
                              {"--matchdirs", o.matchDirs ? "1" : nullptr}, {"--fflinks", o.listLinks ? "1" : nullptr},
                              {"--files-first", o.filesFirst ? "1" : nullptr},
                              {"-u", m.owner ? "1" : nullptr},      {"-g", m.group ? "1" : nullptr},
                              {"--inodes", m.inode ? "1" : nullptr}, {"--device", m.device ? "1" : nullptr},
                              {"--metafirst", m.metaFirst ? "1" : nullptr}, {"-c", m.changeTime ? "1" : nullptr}};
    for (const auto& f : flags)
        if (f[1] != nullptr) args.push_back(f[0]);
    if (m.timeFormat != MetaWants{}.timeFormat) args.push_back("--timefmt=" + m.timeFormat);
    // -c sorts too: the order given after it is written back after it.
    if (o.sort != CliOptions::kSortName || m.changeTime) args.push_back(WordOf("sort", o.sort));
    if (o.color != CliOptions::kColorAuto) args.push_back(WordOf("color", o.color));
    if (o.format == CliOptions::kFormatTreeJson || o.format == CliOptions::kFormatTreeXml)
        args.push_back(o.format == CliOptions::kFormatTreeJson ? "-J" : "-X");
    else if (o.format != CliOptions::kFormatText)
        args.push_back(WordOf("format", o.format));
    if (!o.title.empty()) args.push_back("--title=" + o.title);
    if (!o.baseHref.empty()) args.push_back("--base-href=" + o.baseHref);
    if (!o.htmlIntro.empty()) args.push_back("--hintro=" + o.htmlIntro);
    if (!o.htmlOutro.empty()) args.push_back("--houtro=" + o.htmlOutro);
    for (const std::string& file : o.gitFiles) args.push_back("--gitfile=" + file);
    if (o.fromFile) args.push_back("--fromfile");
    if (o.parse) args.push_back("--parse");
    if (o.nul) args.push_back("-0");
    if (o.parse && o.parseEncoding != CliOptions::kInputGuess)
        args.push_back(o.parseEncoding == CliOptions::kInputSjis ? "--encoding=sjis" : "--encoding=utf8");
    if (o.fromFile || o.parse) {
        args.push_back("--");
        if (o.listFiles.empty()) args.push_back(o.listFile);
        for (const std::string& file : o.listFiles) args.push_back(file);
        return args;
    }
    args.push_back("--");
    args.push_back(o.folder);
    return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args{"arbolin"};
    std::string current;
    for (size_t i = 0; i < size && args.size() < kMaxArguments; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += char(data[i]);
        }
    }
    if (args.size() < kMaxArguments && (size == 0 || data[size - 1] != 0)) args.push_back(current);

    CliOptions options;
    std::string error;
    CommandAction result = Parse(args, options, error);
    CliOptions again;
    std::string againError;
    if (Parse(args, again, againError) != result || againError != error) Fail("parsing is not repeatable", args, error);

    switch (result) {
        case kActionUsageError:
            if (error.empty()) Fail("a usage error without a reason", args, "");
            if (!OneLine(error)) Fail("a usage error that breaks its line", args, error);
            return 0;
        case kActionHelp:
        case kActionVersion: return 0;
        case kActionRun: break;
        default: Fail("unknown parse result", args, std::to_string(int(result)));
    }
    const ListOptions& list = options.list;
    if (options.folder.empty()) Fail("an empty FOLDER", args, "");
    if (list.maxDepth < 1) Fail("a depth below 1", args, std::to_string(list.maxDepth));
    if (options.compat && !options.sjis) Fail("--compat without Shift_JIS", args, "");
    if (options.compat && list.maxDepth != kUnlimitedDepth && (list.maxDepth < 2 || list.maxDepth > 6))
        Fail("--compat with a depth the Windows program does not offer", args, std::to_string(list.maxDepth));

    const MetaWants& meta = options.meta;
    bool anyMeta = meta.size || meta.date || meta.perms || meta.classify || meta.follow || meta.oneFileSystem ||
                   meta.owner || meta.group || meta.inode || meta.device || meta.changeTime || meta.metaFirst ||
                   options.sort != CliOptions::kSortName || options.reverse || options.fullPath || options.noPieces ||
                   options.hideControl || options.quoteName || options.filesFirst;
    if (options.compat && anyMeta) Fail("--compat with a metadata option", args, "");
    if ((meta.human || meta.si || meta.du) && !meta.size) Fail("--human, --si or --du without -s", args, "");
    if (meta.timeFormat.empty()) Fail("an empty --timefmt", args, "");
    std::vector<std::string> written = WrittenBack(options);
    CliOptions reparsed;
    if (Parse(written, reparsed, error) != kActionRun) Fail("written-back arguments refused", written, error);
    if (!Same(options, reparsed)) Fail("written-back arguments mean something else", args, "");
    return 0;
}
