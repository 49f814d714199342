// One run of `arbolin` over parsed options: scan, order, render and write the listing; returns the exit
// status.
// `cli` owns the command line: its arguments and help (options.h), the filters, the run pipeline, the
// progress line and the exit statuses (exit_status.h). It may use `listing`, `render`, `platform` (every
// call into the system: messages, the output file, the terminal, shell patterns, the folder seam), `git`
// (through git.h alone), `metadata`, `formats` and `readers`; nothing uses `cli` but its entry point,
// main.cpp, the tests and the fuzz targets. It includes no system header of the platform's.
#pragma once

#include "cli/exit_status.h"
#include "cli/options.h"

// Lists FOLDER (or --fromfile's list) as `options` ask. Expects setlocale(LC_ALL, "") to have been called.
int RunCommandLine(const CliOptions& options);
