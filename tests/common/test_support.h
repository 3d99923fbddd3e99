// Helpers shared by several test areas: running the build's programs, the
// names a shared library exports, and scratch files.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

// Runs a shell command; answers its standard output and stores its exit
// status (-1 when it did not exit normally).
inline std::string RunCommand(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    *status = -1;
    return output;
  }
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int raw = pclose(pipe);
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

// Runs PROGRAM of the build's bin directory with ARGUMENTS; its error output
// is kept with the standard output unless DROP_ERRORS.
inline std::string RunProgram(const char* program, const std::string& arguments, int* status,
                              bool dropErrors = false) {
  const char* bin = std::getenv("OBRANTULE_BIN");
  return RunCommand("'" + std::string(bin ? bin : "build/bin") + "/" + program + "' " + arguments +
                        (dropErrors ? " 2>/dev/null" : " 2>&1"),
                    status);
}

inline std::string LastLine(const std::string& text) {
  const size_t end = text.find_last_not_of('\n');
  if (end == std::string::npos) return "";
  const size_t start = text.rfind('\n', end);
  const size_t from = start == std::string::npos ? 0 : start + 1;
  return text.substr(from, end - from + 1);
}

// The defined dynamic symbols of a shared library, of the kinds named by
// KINDS (nm's letters), or of every kind.
inline std::set<std::string> ExportedNames(const std::string& library, const char* kinds = nullptr) {
  int status = 0;
  const std::string listing = RunCommand("nm -D --defined-only '" + library + "' 2>/dev/null", &status);
  EXPECT_EQ(status, 0) << library;
  std::set<std::string> names;
  size_t at = 0;
  while (at < listing.size()) {
    size_t end = listing.find('\n', at);
    if (end == std::string::npos) end = listing.size();
    char address[64], kind[8], name[400];
    if (std::sscanf(listing.substr(at, end - at).c_str(), "%63s %7s %399s", address, kind, name) == 3 &&
        (kinds == nullptr || std::strchr(kinds, kind[0]) != nullptr))
      names.insert(name);
    at = end + 1;
  }
  return names;
}

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/obrantule-test-XXXXXX";
    std::vector<char> text(pattern.begin(), pattern.end());
    text.push_back(0);
    if (!mkdtemp(text.data())) std::abort();
    path_ = text.data();
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::string Subdirectory(const std::string& name) const {
    std::filesystem::create_directories(File(name));
    return File(name);
  }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  if (!bytes.empty()) {
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
  }
  std::fclose(file);
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  std::fclose(file);
  return bytes;
}
