#include "tablebase_settings.h"

#include <dirent.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <vector>

#include "engine_link.h"

namespace {

const char SettingsVariable[] = "OBRANTULE_SETTINGS";

const char DefaultPath[] = "Tablebase";

bool Loaded = false;
bool PathConfigured = false;  // a settings file or the user named the path
std::string Path = DefaultPath;
int32_t CacheKB = 1024;
std::string HostFile;
// The same path for a signal handler, which may not touch a std::string.
char HostFileForSignals[PATH_MAX];

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
    if (key == "path" && !value.empty()) {
      Path = value;
      PathConfigured = true;
    }
    if (key == "cachesizekb") {
      // Any digits at all: strtoll saturates where atoi would overflow. The
      // value is shown as the UCI option's default, so it stays in its range.
      long long kilobytes = strtoll(value.c_str(), nullptr, 10);
      CacheKB = int32_t(kilobytes < 1024 ? 1024 : kilobytes > 1048576 ? 1048576 : kilobytes);
    }
  }
}

// A GUI that closes the engine with a signal instead of "quit" (or a closed
// terminal, or Ctrl-C) still takes the host's settings file with it.
void RemoveHostFileAndDie(int signalNumber) {
  unlink(HostFileForSignals);
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

void RemoveHostFileOnSignals() {
  if (HostFile.size() >= sizeof HostFileForSignals) return;
  HostFile.copy(HostFileForSignals, HostFile.size());
  HostFileForSignals[HostFile.size()] = '\0';
  for (int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
    struct sigaction current;
    // A signal the parent ignores (nohup) or that is already handled stays so.
    if (sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
    struct sigaction action = {};
    action.sa_handler = RemoveHostFileAndDie;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
  }
}

void Write() {
  if (HostFile.empty()) {
    const char* temp = getenv("TMPDIR");
    HostFile = std::string(temp != nullptr && temp[0] != '\0' ? temp : "/tmp") + "/obrantule-" +
               std::to_string(getpid()) + "-ChssBase.ini";
    RemoveHostFileOnSignals();
  }
  std::ofstream out(HostFile, std::ios::trunc);
  out << "[Tablebase]\nPath=" << Path << "\nCacheSizeKB=" << CacheKB << "\n";
  out.close();
  setenv(SettingsVariable, HostFile.c_str(), 1);
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string Absolute(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// The table a file name holds ("kqkr.nbw", from kqkr.nbw, kqkr.nbw.emd,
// kqkr_nbw.emd or kqkrnbw.emd), or "" when it names none.
std::string TableOfFile(std::string name) {
  const std::string packed = ".emd";
  bool compressed = name.size() > packed.size() && name.compare(name.size() - packed.size(), packed.size(), packed) == 0;
  if (compressed) name.erase(name.size() - packed.size());
  if (name.size() < 3) return "";
  std::string side = name.substr(name.size() - 3);
  if (side != "nbw" && side != "nbb") return "";
  name.erase(name.size() - 3);
  if (!name.empty() && (name.back() == '.' || name.back() == '_')) name.pop_back();
  else if (!compressed) return "";
  if (name.size() < 2 || name[0] != 'k' || name.find_first_not_of("kpnbrq") != std::string::npos) return "";
  if (name.find('k', 1) == std::string::npos) return "";
  return name + "." + side;
}

std::vector<std::string> SplitPathList(const std::string& list) {
  std::vector<std::string> directories;
  size_t start = 0;
  for (;;) {
    size_t end = list.find_first_of(",;", start);
    directories.push_back(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return directories;
}

// The tables of a directory list (the first directory holding one wins)
// and the most men in one of them.
int32_t CountTables(const std::string& list, int32_t* mostMen) {
  std::set<std::string> tables;
  *mostMen = 0;
  for (const std::string& directory : SplitPathList(list)) {
    DIR* listing = opendir(directory.empty() ? "." : directory.c_str());
    if (listing == nullptr) continue;
    while (struct dirent* entry = readdir(listing)) {
      std::string table = TableOfFile(entry->d_name);
      if (table.empty()) continue;
      tables.insert(table);
      int32_t men = int32_t(table.size() - 4);
      if (men > *mostMen) *mostMen = men;
    }
    closedir(listing);
  }
  return int32_t(tables.size());
}

}  // namespace

void LocateDefaultTablebases() {
  Load();
  if (PathConfigured) return;
  std::string program = ProgramDirectory();
  for (const std::string& candidate : {std::string(DefaultPath), program + "/" + DefaultPath,
                                       program + "/../../" + DefaultPath}) {
    int32_t men = 0;
    if (!IsDirectory(candidate) || CountTables(candidate, &men) == 0) continue;
    Path = Absolute(candidate);
    Write();
    return;
  }
}

std::string TablebaseReport(int32_t* found) {
  Load();
  int32_t men = 0;
  int32_t count = CountTables(Path, &men);
  if (found != nullptr) *found = count;
  if (count > 0)
    return std::to_string(count) + " tables (up to " + std::to_string(men) + " men) in " + Path;
  std::vector<std::string> directories = SplitPathList(Path);
  bool anyDirectory = false;
  for (const std::string& directory : directories) anyDirectory = anyDirectory || IsDirectory(directory);
  if (!anyDirectory)
    return "none: no directory " + Path + (PathConfigured ? "" : " (scripts/main.sh makes the default tables)");
  return "none: no table files in " + Path;
}

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
  PathConfigured = true;
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
