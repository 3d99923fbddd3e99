// Subcommand routines of obrantule-tb and the helpers they share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "table_files.h"

#define TB_COMMAND(name, routine, arguments, summary) int routine(int argc, char** argv);
#include "tb_commands.def"
#undef TB_COMMAND

// Whole-file reading and writing; on failure they print a message and return false.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes);
// Writes to a temporary name beside the target and renames it into place,
// so that a failed run never leaves a half-written table under the real name.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
// The number of processors (at least 1): the default for --threads.
int DefaultThreadCount();
// Reads a --threads value (1..256); prints an error for `command` and returns
// false otherwise.
bool ParseThreadCount(const char* command, const char* text, int* threads);
// Appends the classes a command-line word names: a class name, or "all3",
// "all4", "all5" for every class of up to that many men; false when it names
// none.
bool ExpandClassArgument(const char* word, std::vector<std::string>* names);
// Prints the usage line of one subcommand to stderr; returns 2.
int CommandUsage(const char* name);

// What gen and plan are asked for: the classes, where their tables are, how
// they are compressed and by how many threads.
struct ClassRequest {
  std::string dir;
  TbCompression compression = TbCompressFiveMen;
  int threads = 1;
  std::vector<std::string> wanted;
};
// An option of one command beyond the shared ones: a word followed by a
// value into *text, or a flag setting *flag.
struct ExtraOption {
  const char* name;
  std::string* text;
  bool* flag;
};
// Reads the class words and the options --dir DIR, --threads N, --compress,
// --plain and the extra ones into *request (which holds the defaults).
// Returns -1 when the request is complete, else the exit status.
int ParseClassRequest(const char* command, int argc, char** argv, const std::vector<ExtraOption>& extras,
                      ClassRequest* request);
