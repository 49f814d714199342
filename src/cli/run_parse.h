// --parse's run: the pasted listing at options.listFile read back and its paths written.
#pragma once

#include "cli/options.h"

// Reads the listing at options.listFile and writes its paths (or the JSON tree); the exit status.
int RunParse(const CliOptions& options);
