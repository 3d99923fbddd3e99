// The tablebase settings: section "Tablebase" of the host's settings file
// "ChssBase.ini", keys "Path" and "CacheSizeKB".
//
// Where the host platform's settings store is absent the file is looked for,
// in this order: the file named by the environment variable
// OBRANTULE_SETTINGS (when set and not empty, only there), "ChssBase.ini" in
// the current directory, "ChssBase.ini" beside the adapter module.
#pragma once

#include <cstddef>
#include <cstdint>

enum : int32_t {
  // Settings are read as text of at most this many characters.
  SettingTextLength = 510,
};

// Reads a key of section "Tablebase"; the text is empty when the file, the
// section or the key is absent. text holds capacity bytes with the NUL.
void ReadTablebaseSetting(const char* key, char* text, size_t capacity);

// The decimal value of a settings text: blanks (spaces, tabs), an optional
// sign, then the leading digits; what follows them is ignored, and a text
// without digits there is 0. Values beyond the 64-bit range saturate at its
// ends.
int64_t SettingNumber(const char* text);

// Reads one value from an INI-style file: "[Section]" headers, "key = value"
// lines, blank lines and comment lines (";" or "#") skipped, LF or CRLF line
// ends, names compared without regard to case, the first occurrence wins, one
// pair of quotes around a value removed. Returns 1 when the key was found
// (text holds its value, cut to capacity - 1 characters), else 0 (text empty).
int32_t ReadIniValue(const char* path, const char* section, const char* key, char* text, size_t capacity);

// Fills path with the settings file to read (see above). Returns 1 when a file
// was chosen, 0 when none exists (path empty).
int32_t FindSettingsFile(char* path, size_t capacity);
