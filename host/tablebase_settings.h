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
