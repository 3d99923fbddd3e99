// The tablebase settings as the host offers them: the prober reads section
// "Tablebase" of a settings file; when the user changes a value the host
// writes its own file and names it in OBRANTULE_SETTINGS before reconnecting.
#pragma once

#include <cstdint>
#include <string>

std::string TablebaseSettingPath();
int32_t TablebaseSettingCacheKB();
void SetTablebaseSettingPath(const std::string& path);
void SetTablebaseSettingCacheKB(int32_t kilobytes);
// Removes the host's own settings file, if it wrote one.
void RemoveHostSettingsFile();

// Without a configured path the prober would look in "Tablebase" under the
// current directory. The host looks there, beside the program, and in the
// source tree above build/bin where scripts/main.sh makes them, and points
// the prober at the first of these that holds tables (by absolute path).
void LocateDefaultTablebases();
// What the prober will find: "62 tables (up to 4 men) in /path", or why
// none. Sets *found to the number of tables.
std::string TablebaseReport(int32_t* found = nullptr);
