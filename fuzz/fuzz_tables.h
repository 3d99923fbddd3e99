// Small tablebases for the fuzz programs, made once per process with the
// project's own generator: kqk as plain files, krk compressed.
#pragma once

#include <string>

// The directory holding the tables: fuzz-tables beside the program, made on
// the first use; aborts when they cannot be made.
const std::string& FuzzTableDirectory();

// Writes a settings file into the table directory and names it in
// OBRANTULE_SETTINGS: section "Tablebase", Path = the table directory.
void UseFuzzTableSettings();
