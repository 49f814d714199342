// Character data for names (Windows side): display columns from the tables generated from ICU when the
// program was built (chars_table.h), so nothing is loaded and nothing can be missing.
#include "platform/chars.h"
#include "platform/chars_table.h"

int DisplayColumns(int32_t c) { return TableDisplayColumns(c); }

bool ReadyCharacterData(std::string_view) { return true; }

std::string CharacterDataError() { return std::string(); }
