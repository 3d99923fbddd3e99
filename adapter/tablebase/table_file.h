// Table files opened for binary reading: open, length, seek, read, close.
// The only file access of the prober; a port swaps this file's body.
#pragma once

#include <cstddef>
#include <cstdint>

struct TableFile;

// Opens a file for binary reading; null when it cannot be opened.
TableFile* TableFileOpen(const char* path);
void TableFileClose(TableFile* file);
// The file's length in bytes, or -1.
int64_t TableFileLength(TableFile* file);
// 0 on success, -1 on failure.
int32_t TableFileSeek(TableFile* file, uint64_t offset);
// The number of bytes read (fewer than count at the end of the file), or -1
// when the stream reports an error.
int64_t TableFileRead(TableFile* file, void* buffer, size_t count);
