// UTF-16 as Windows hands names and arguments over, and the bytes the rest of the program works in:
// UTF-8, with an unpaired surrogate kept as the three bytes it would take were it a character (WTF-8),
// so that every name survives the round trip. Plain code, built on both sides (the Windows side uses it;
// the tests run natively).
#pragma once

#include <string>
#include <string_view>

// `units` as WTF-8: UTF-8 for every character, pairs joined, a lone surrogate as ED A0..BF xx.
std::string WideToWtf8(std::u16string_view units);
// WTF-8 back to UTF-16: each lone surrogate's three bytes to that unit again; bytes that form no
// character (and a surrogate pair written as two three-byte halves, which WideToWtf8 never makes) each
// to U+FFFD.
std::u16string Wtf8ToWide(std::string_view bytes);
