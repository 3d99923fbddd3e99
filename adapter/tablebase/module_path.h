// Where the adapter module itself lives, for files kept beside it.
#pragma once

#include <cstddef>

// Writes the directory of the module holding this code, with a trailing
// separator, into text (capacity bytes with the NUL). Returns 1 on success,
// 0 (text empty) when the platform cannot tell or the text would not fit.
int ModuleDirectory(char* text, size_t capacity);
