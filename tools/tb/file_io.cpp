// Whole-file reading and writing for the tools.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tb_commands.h"

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    std::fprintf(stderr, "obrantule-tb: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  bytes->clear();
  uint8_t buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->insert(bytes->end(), buffer, buffer + got);
  bool ok = !std::ferror(file);
  std::fclose(file);
  if (!ok) std::fprintf(stderr, "obrantule-tb: cannot read %s\n", path.c_str());
  return ok;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string temporary = path + ".part";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "obrantule-tb: cannot create %s: %s\n", temporary.c_str(), std::strerror(errno));
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fclose(file) == 0 && ok;
  if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    std::fprintf(stderr, "obrantule-tb: cannot write %s\n", path.c_str());
    std::remove(temporary.c_str());
  }
  return ok;
}
