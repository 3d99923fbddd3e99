// Subcommand routines of obrantule-tb and the helpers they share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#define TB_COMMAND(name, routine, arguments, summary) int routine(int argc, char** argv);
#include "tb_commands.def"
#undef TB_COMMAND

// Whole-file reading and writing; on failure they print a message and return false.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes);
// Writes to a temporary name beside the target and renames it into place,
// so that a failed run never leaves a half-written table under the real name.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
// Prints the usage line of one subcommand to stderr; returns 2.
int CommandUsage(const char* name);
