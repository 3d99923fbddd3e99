#include "table_files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "datacomp_writer.h"
#include "generate.h"
#include "position_index.h"
#include "tablebase_classes.h"

int TbClassNumber(const std::string& name) {
  for (int c = 1; c < TablebaseClassCount; c++)
    if (name == TablebaseClasses[c].Name) return c;
  return 0;
}

int TbTableSides(int tableClass) { return (TablebaseClasses[tableClass].Flags & TablebaseSymmetric) ? 1 : 2; }

std::string TbFileName(const std::string& dir, const std::string& name, int side, bool compressed) {
  std::string path = dir.empty() ? std::string() : dir + "/";
  path += name + (side ? ".nbb" : ".nbw");
  if (compressed) path += ".emd";
  return path;
}

bool TbCompressClass(TbCompression compression, int tableClass) {
  if (compression == TbCompressFiveMen) return ClassPieceCount(tableClass) == 5;
  return compression == TbCompressAll;
}

bool TbClassFilesPresent(const std::string& dir, const std::string& name) {
  int c = TbClassNumber(name);
  if (!c) return false;
  for (int side = 0; side < TbTableSides(c); side++)
    if (TbFindFile(dir, name, side).empty()) return false;
  return true;
}

std::string TbFindFile(const std::string& dir, const std::string& name, int side) {
  std::string base = dir.empty() ? std::string() : dir + "/";
  const char* ext = side ? "nbb" : "nbw";
  const std::string candidates[] = {base + name + "." + ext, base + name + "." + ext + ".emd",
                                    base + name + "_" + ext + ".emd", base + name + ext + ".emd"};
  for (const std::string& path : candidates) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file) {
      std::fclose(file);
      return path;
    }
  }
  return std::string();
}

void TbPositionToLists(const GenPosition& pos, int32_t* whiteList, int32_t* blackList, int32_t* counts) {
  for (int i = 0; i < TablebaseListSlots; i++) whiteList[i] = blackList[i] = 0;
  for (int i = 0; i < 10; i++) counts[i] = 0;
  for (int i = 0; i < pos.men; i++) {
    if (pos.square[i] < 0) continue;
    int32_t* list = pos.side[i] ? blackList : whiteList;
    if (pos.type[i] == GenKing) {
      list[0] = pos.square[i];
      continue;
    }
    int32_t& count = counts[5 * pos.side[i] + pos.type[i] - 1];
    if (count < 4) list[4 * pos.type[i] + count] = pos.square[i];
    count++;
  }
}

bool TbListsToPosition(const GenClassInfo& info, const int32_t* whiteList, const int32_t* blackList, int toMove,
                       int epSquare, GenPosition* pos) {
  int used[2][6] = {};
  pos->men = info.men;
  pos->toMove = toMove;
  pos->epSquare = epSquare;
  for (int i = 0; i < info.men; i++) {
    const int32_t* list = info.side[i] ? blackList : whiteList;
    int type = info.type[i];
    int sq = type == GenKing ? list[0] : list[4 * type + used[info.side[i]][type]++];
    if (sq < 0 || sq > 63) return false;
    pos->square[i] = sq;
    pos->type[i] = type;
    pos->side[i] = info.side[i];
  }
  return true;
}

// The byte of a work-layout node for a position decoded from a file index.
static int NodeByte(const GenTable& table, const GenPosition& decoded) {
  uint32_t node = GenNodeOf(table, decoded);
  // An en-passant square that no double step can have opened: no position.
  if (decoded.epSquare >= 0 && node < table.info.normalSize) return GenBroken;
  return table.value[decoded.toMove][node];
}

bool TbBuildImage(const GenTable& table, int side, int threads, std::vector<uint8_t>* image, TbImageStats* stats,
                  std::string* error) {
  int c = TbClassNumber(table.info.name);
  if (!c) {
    *error = std::string("no class ") + table.info.name + " in the class table";
    return false;
  }
  BuildIndexTables();
  uint32_t size = TablebaseClasses[c].ExpectedSize[side];
  image->assign(size, uint8_t(GenBroken));
  std::atomic<int> badDecode{0};
  GenParallelFor(size, threads, [&](uint64_t begin, uint64_t end) {
    int32_t white[TablebaseListSlots], black[TablebaseListSlots], ep;
    GenPosition pos;
    for (uint64_t index = begin; index < end; index++) {
      if (!IndexToPosition(c, side, uint32_t(index), white, black, &ep)) continue;
      if (!TbListsToPosition(table.info, white, black, side, ep == TablebaseNoEnPassant ? -1 : ep, &pos)) {
        badDecode.store(1, std::memory_order_relaxed);
        continue;
      }
      (*image)[index] = uint8_t(NodeByte(table, pos));
    }
  });
  if (badDecode.load()) {
    *error = std::string("index layout of ") + table.info.name + " decodes to men the class does not hold";
    return false;
  }
  *stats = TbImageStats();
  for (uint8_t b : *image) {
    int v = int8_t(b);
    if (v == GenBroken) continue;
    stats->positions++;
    if (GenIsWin(v)) {
      stats->wins++;
      if (127 - v > stats->longestWin) stats->longestWin = 127 - v;
    } else if (GenIsLoss(v)) {
      stats->losses++;
      if (v + 126 > stats->longestLoss) stats->longestLoss = v + 126;
    } else {
      stats->draws++;
    }
  }
  return true;
}

bool TbReadFile(const std::string& path, std::vector<uint8_t>* image, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  std::vector<uint8_t> bytes;
  uint8_t buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  bool ok = !std::ferror(file);
  std::fclose(file);
  if (!ok) {
    *error = "cannot read " + path;
    return false;
  }
  if (path.size() > 4 && path.compare(path.size() - 4, 4, ".emd") == 0) {
    if (UnpackData(bytes.data(), bytes.size(), image) != 0) {
      *error = "corrupt compressed table " + path;
      return false;
    }
    return true;
  }
  *image = std::move(bytes);
  return true;
}

bool TbWriteFile(const std::string& path, const std::vector<uint8_t>& image, bool compressed, uint64_t* written,
                 std::string* error, int threads) {
  const std::vector<uint8_t>* data = &image;
  std::vector<uint8_t> packed;
  if (compressed) {
    PackOptions options;
    options.Threads = threads;
    PackStats stats;
    if (PackData(image.data(), image.size(), &options, &packed, &stats) != 0) {
      *error = "cannot compress " + path;
      return false;
    }
    data = &packed;
  }
  std::string temporary = path + ".part";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    *error = "cannot create " + temporary + ": " + std::strerror(errno);
    return false;
  }
  bool ok = std::fwrite(data->data(), 1, data->size(), file) == data->size();
  ok = std::fclose(file) == 0 && ok;
  if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    std::remove(temporary.c_str());
    *error = "cannot write " + path;
    return false;
  }
  *written = data->size();
  return true;
}

namespace {

// The file byte of a position of the side to move, 127 when the position is
// none (the side not to move in check) or its index lies past the file.
int8_t FileValue(const GenPosition& pos, int side, TablebaseIndexFunction function, const std::vector<uint8_t>& bytes) {
  if (GenInCheck(pos, 1 - side)) return GenBroken;
  int32_t white[TablebaseListSlots], black[TablebaseListSlots], counts[10];
  TbPositionToLists(pos, white, black, counts);
  uint32_t index = function(white, black, pos.epSquare < 0 ? TablebaseNoEnPassant : pos.epSquare, 0);
  return index < bytes.size() ? int8_t(bytes[index]) : GenBroken;
}

// Reads the file of one side of a class whole; false with *error set.
bool ReadSideFile(const std::string& dir, const std::string& name, int c, int side, std::vector<uint8_t>* image,
                  std::string* error) {
  std::string path = TbFindFile(dir, name, side);
  if (path.empty()) {
    *error = "no table file for " + name + (side ? " black" : " white") + " to move in " + dir;
    return false;
  }
  if (!TbReadFile(path, image, error)) return false;
  if (image->size() != TablebaseClasses[c].ExpectedSize[side]) {
    *error = path + " has the wrong size";
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<GenTable> TbLoadClass(const std::string& dir, const std::string& name, int threads,
                                      std::string* error) {
  int c = TbClassNumber(name);
  if (!c) {
    *error = "no class " + name + " in the class table";
    return nullptr;
  }
  BuildIndexTables();
  auto table = std::make_unique<GenTable>();
  if (!ParseGenClass(name.c_str(), &table->info)) {
    *error = "not a class name: " + name;
    return nullptr;
  }
  std::vector<uint8_t> image[2];
  for (int side = 0; side < TbTableSides(c); side++)
    if (!ReadSideFile(dir, name, c, side, &image[side], error)) return nullptr;
  GenSetUpNodes(table.get(), threads);
  bool symmetric = TbTableSides(c) == 1;
  for (int side = 0; side < 2; side++) {
    const std::vector<uint8_t>& bytes = image[symmetric ? 0 : side];
    TablebaseIndexFunction function = side ? TablebaseClasses[c].BlackIndex : TablebaseClasses[c].WhiteIndex;
    int8_t* value = table->value[side].data();
    GenParallelFor(table->value[side].size(), threads, [&](uint64_t begin, uint64_t end) {
      GenPosition pos;
      for (uint64_t node = begin; node < end; node++)
        value[node] = GenNodeToPosition(*table, uint32_t(node), side, &pos) ? FileValue(pos, side, function, bytes)
                                                                            : GenBroken;
    });
  }
  return table;
}

std::unique_ptr<GenSlice> TbLoadSlice(const std::string& dir, const GenSliceKey& key, int threads,
                                      std::string* error) {
  int c = TbClassNumber(key.name);
  auto slice = std::make_unique<GenSlice>();
  if (!c || !GenSetUpSlice(key, slice.get())) {
    *error = "no class " + key.name + " in the class table";
    return nullptr;
  }
  BuildIndexTables();
  std::vector<uint8_t> bytes;
  if (!ReadSideFile(dir, key.name, c, TbTableSides(c) == 1 ? 0 : key.side, &bytes, error)) return nullptr;
  TablebaseIndexFunction function = key.side ? TablebaseClasses[c].BlackIndex : TablebaseClasses[c].WhiteIndex;
  slice->value.resize(GenSliceSize(*slice));
  int8_t* value = slice->value.data();
  const GenSlice& s = *slice;
  GenParallelFor(slice->value.size(), threads, [&](uint64_t begin, uint64_t end) {
    GenPosition pos;
    for (uint64_t offset = begin; offset < end; offset++)
      value[offset] = GenDecodeIndex(s.info, GenSliceNode(s, offset), key.side, &pos)
                          ? FileValue(pos, key.side, function, bytes)
                          : GenBroken;
  });
  return slice;
}
