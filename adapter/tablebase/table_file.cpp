#include "table_file.h"

#include <cstdio>
#include <new>

struct TableFile {
  std::FILE* Stream;
};

TableFile* TableFileOpen(const char* path) {
  std::FILE* stream = std::fopen(path, "rb");
  if (!stream) return nullptr;
  // Reads are whole blocks or whole headers: a stream buffer would only add a copy.
  std::setvbuf(stream, nullptr, _IONBF, 0);
  TableFile* file = new (std::nothrow) TableFile;
  if (!file) {
    std::fclose(stream);
    return nullptr;
  }
  file->Stream = stream;
  return file;
}

void TableFileClose(TableFile* file) {
  if (!file) return;
  std::fclose(file->Stream);
  delete file;
}

static int32_t SeekStream(std::FILE* stream, int64_t offset, int origin) {
#if defined(_WIN32)
  return _fseeki64(stream, offset, origin) == 0 ? 0 : -1;
#else
  return fseeko(stream, static_cast<off_t>(offset), origin) == 0 ? 0 : -1;
#endif
}

static int64_t TellStream(std::FILE* stream) {
#if defined(_WIN32)
  return _ftelli64(stream);
#else
  return static_cast<int64_t>(ftello(stream));
#endif
}

int64_t TableFileLength(TableFile* file) {
  if (SeekStream(file->Stream, 0, SEEK_END) != 0) return -1;
  int64_t length = TellStream(file->Stream);
  if (SeekStream(file->Stream, 0, SEEK_SET) != 0) return -1;
  return length;
}

int32_t TableFileSeek(TableFile* file, uint64_t offset) {
  if (offset > static_cast<uint64_t>(INT64_MAX)) return -1;
  return SeekStream(file->Stream, static_cast<int64_t>(offset), SEEK_SET);
}

int64_t TableFileRead(TableFile* file, void* buffer, size_t count) {
  size_t got = std::fread(buffer, 1, count, file->Stream);
  if (got < count && std::ferror(file->Stream)) {
    std::clearerr(file->Stream);
    return -1;
  }
  return static_cast<int64_t>(got);
}
