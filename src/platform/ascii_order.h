// Collation keys for names of printable ASCII made without ICU: they order names exactly as ICU's keys
// (with the raw-bytes tie-break) do, in the ICU locales where tests/ascii_order_test.cpp proves it.
#pragma once

#include <string>
#include <string_view>

// True for the ICU locales (as names_posix.cpp names them: "root", "en_US", "ja" ...) whose order of
// printable ASCII the keys below reproduce: root's, untailored for ASCII.
bool AsciiOrderHolds(std::string_view icuLocale);

// True when `raw` can have an ASCII key: every byte printable ASCII (0x20 ... 0x7E), and no digit where
// `natural` (numeric collation reads digit runs as numbers, which these keys do not).
bool HasAsciiKey(std::string_view raw, bool natural);

// Puts the key of `raw` in `key` and returns true when `raw` can have one (HasAsciiKey), else returns
// false (`key` then holds nothing useful). Folder keys ignore letter case and end in the raw bytes as
// the tie-break; file keys put lower case first. Keys of one kind compare with each other by their
// bytes, never with ICU's keys: a folder's entries of one kind all get keys of one sort.
bool MakeAsciiKey(std::string_view raw, bool folder, bool natural, std::string& key);
