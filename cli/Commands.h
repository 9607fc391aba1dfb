#pragma once

// Entry points of the tamberol-cli commands. Each gets its own arguments with argv[0] the command name,
// writes its results to stdout and its errors to stderr, and returns the process exit code.
#define TAMBEROL_COMMAND(name, function, arguments, summary) int function(int argc, char** argv);
#include "cli/CommandList.h"
#undef TAMBEROL_COMMAND
