#include "tablebase_settings.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

const char SettingsVariable[] = "OBRANTULE_SETTINGS";

bool Loaded = false;
std::string Path = "Tablebase";
int32_t CacheKB = 1024;
std::string HostFile;

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

std::string Lower(std::string text) {
  for (char& c : text) c = char(tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string ProgramDirectory() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return ".";
  path[length] = '\0';
  std::string text(path);
  return text.substr(0, text.rfind('/'));
}

// Shows the values the prober would read now, found where it looks.
void Load() {
  if (Loaded) return;
  Loaded = true;
  const char* named = getenv(SettingsVariable);
  std::string file;
  if (named != nullptr && named[0] != '\0') file = named;
  else if (access("ChssBase.ini", R_OK) == 0) file = "ChssBase.ini";
  else file = ProgramDirectory() + "/ChssBase.ini";
  std::ifstream in(file);
  std::string line, section;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      section = Lower(Trim(line.substr(1, line.find(']') - 1)));
      continue;
    }
    size_t equals = line.find('=');
    if (section != "tablebase" || equals == std::string::npos) continue;
    std::string key = Lower(Trim(line.substr(0, equals)));
    std::string value = Trim(line.substr(equals + 1));
    if (key == "path") Path = value;
    if (key == "cachesizekb") CacheKB = atoi(value.c_str()) < 1024 ? 1024 : atoi(value.c_str());
  }
}

void Write() {
  if (HostFile.empty()) {
    const char* temp = getenv("TMPDIR");
    HostFile = std::string(temp != nullptr && temp[0] != '\0' ? temp : "/tmp") + "/obrantule-" +
               std::to_string(getpid()) + "-ChssBase.ini";
  }
  std::ofstream out(HostFile, std::ios::trunc);
  out << "[Tablebase]\nPath=" << Path << "\nCacheSizeKB=" << CacheKB << "\n";
  out.close();
  setenv(SettingsVariable, HostFile.c_str(), 1);
}

}  // namespace

std::string TablebaseSettingPath() {
  Load();
  return Path;
}

int32_t TablebaseSettingCacheKB() {
  Load();
  return CacheKB;
}

void SetTablebaseSettingPath(const std::string& path) {
  Load();
  Path = path;
  Write();
}

void SetTablebaseSettingCacheKB(int32_t kilobytes) {
  Load();
  CacheKB = kilobytes;
  Write();
}

void RemoveHostSettingsFile() {
  if (!HostFile.empty()) remove(HostFile.c_str());
}
