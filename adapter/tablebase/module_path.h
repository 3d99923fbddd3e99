// Where the adapter module itself lives, for files kept beside it.
#pragma once

#include <cstddef>

// Writes the full path of the module holding this code into text (capacity
// bytes with the NUL). The path is made absolute when the module is loaded,
// so a module loaded by a relative path still finds itself after the
// current directory changes. Returns 1 on success, 0 (text empty) when the
// platform cannot tell or the path would not fit.
int ModulePath(char* text, size_t capacity);
// The same for the module's directory, with a trailing separator.
int ModuleDirectory(char* text, size_t capacity);
