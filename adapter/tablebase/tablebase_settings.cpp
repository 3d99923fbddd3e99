#include "tablebase_settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "module_path.h"

static const char SettingsFileName[] = "ChssBase.ini";
static const char SettingsSection[] = "Tablebase";
static const char SettingsVariable[] = "OBRANTULE_SETTINGS";

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

static void Trim(const char*& begin, const char*& end) {
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
}

static bool SameName(const char* begin, const char* end, const char* name) {
  size_t length = std::strlen(name);
  if (static_cast<size_t>(end - begin) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    char a = begin[i], b = name[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

static void CopyText(const char* begin, const char* end, char* text, size_t capacity) {
  size_t length = static_cast<size_t>(end - begin);
  if (length > capacity - 1) length = capacity - 1;
  std::memcpy(text, begin, length);
  text[length] = 0;
}

static bool ReadWholeFile(const char* path, std::string& content) {
  std::FILE* stream = std::fopen(path, "rb");
  if (!stream) return false;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) content.append(chunk, got);
  bool ok = !std::ferror(stream);
  std::fclose(stream);
  return ok;
}

int32_t ReadIniValue(const char* path, const char* section, const char* key, char* text, size_t capacity) {
  if (capacity == 0) return 0;
  text[0] = 0;
  std::string content;
  if (!ReadWholeFile(path, content)) return 0;
  const char* p = content.data();
  const char* fileEnd = p + content.size();
  if (fileEnd - p >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;  // byte order mark
  bool inSection = false;
  while (p < fileEnd) {
    const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(fileEnd - p)));
    if (!lineEnd) lineEnd = fileEnd;
    const char* begin = p;
    const char* end = lineEnd;
    p = lineEnd < fileEnd ? lineEnd + 1 : fileEnd;
    if (end > begin && end[-1] == '\r') --end;
    Trim(begin, end);
    if (begin == end || *begin == ';' || *begin == '#') continue;
    if (*begin == '[') {
      const char* close = static_cast<const char*>(std::memchr(begin, ']', static_cast<size_t>(end - begin)));
      if (!close) continue;
      const char* nameBegin = begin + 1;
      const char* nameEnd = close;
      Trim(nameBegin, nameEnd);
      inSection = SameName(nameBegin, nameEnd, section);
      continue;
    }
    if (!inSection) continue;
    const char* equals = static_cast<const char*>(std::memchr(begin, '=', static_cast<size_t>(end - begin)));
    if (!equals) continue;
    const char* nameEnd = equals;
    const char* nameBegin = begin;
    Trim(nameBegin, nameEnd);
    if (!SameName(nameBegin, nameEnd, key)) continue;
    const char* valueBegin = equals + 1;
    const char* valueEnd = end;
    Trim(valueBegin, valueEnd);
    if (valueEnd - valueBegin >= 2 && (*valueBegin == '"' || *valueBegin == '\'') && valueEnd[-1] == *valueBegin) {
      ++valueBegin;
      --valueEnd;
    }
    CopyText(valueBegin, valueEnd, text, capacity);
    return 1;
  }
  return 0;
}

int64_t SettingNumber(const char* text) {
  while (IsBlank(*text)) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  // Accumulated as a negative number, whose range reaches INT64_MIN.
  int64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    int32_t digit = *text - '0';
    if (value < (INT64_MIN + digit) / 10) return negative ? INT64_MIN : INT64_MAX;
    value = value * 10 - digit;
  }
  if (negative) return value;
  return value == INT64_MIN ? INT64_MAX : -value;
}

static bool FileExists(const char* path) {
  std::FILE* stream = std::fopen(path, "rb");
  if (!stream) return false;
  std::fclose(stream);
  return true;
}

int32_t FindSettingsFile(char* path, size_t capacity) {
  if (capacity == 0) return 0;
  path[0] = 0;
  const char* named = std::getenv(SettingsVariable);
  if (named && *named) {
    // The user named the file: nowhere else is looked at.
    if (std::strlen(named) >= capacity || !FileExists(named)) return 0;
    std::strcpy(path, named);
    return 1;
  }
  if (FileExists(SettingsFileName) && sizeof SettingsFileName <= capacity) {
    std::strcpy(path, SettingsFileName);
    return 1;
  }
  char directory[1024];
  if (ModuleDirectory(directory, sizeof directory)) {
    std::string candidate = std::string(directory) + SettingsFileName;
    if (candidate.size() < capacity && FileExists(candidate.c_str())) {
      std::strcpy(path, candidate.c_str());
      return 1;
    }
  }
  return 0;
}

#if defined(_WIN32)
#include <windows.h>

void ReadTablebaseSetting(const char* key, char* text, size_t capacity) {
  if (capacity == 0) return;
  if (capacity > SettingTextLength + 1) capacity = SettingTextLength + 1;
  // A bare file name: the platform's own settings directory.
  GetPrivateProfileStringA(SettingsSection, key, "", text, static_cast<DWORD>(capacity), SettingsFileName);
}

#else

void ReadTablebaseSetting(const char* key, char* text, size_t capacity) {
  if (capacity == 0) return;
  text[0] = 0;
  if (capacity > SettingTextLength + 1) capacity = SettingTextLength + 1;
  char path[1024];
  if (!FindSettingsFile(path, sizeof path)) return;
  ReadIniValue(path, SettingsSection, key, text, capacity);
}

#endif
