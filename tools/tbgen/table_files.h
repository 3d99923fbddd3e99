// Table files as the prober reads them: the class table's names and sizes,
// the index functions' layout, one signed byte per index, plain or DATACOMP.
//
// Bytes of indices that hold no position (no placement decodes to them, men
// share a square, the side not to move is in check, or an en-passant capture
// that no double step can have allowed) are 127, which the prober reports as
// 0 (no answer).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gen_tables.h"

// Class number of a name in the class table, 0 when it has none.
int TbClassNumber(const std::string& name);

// Number of tables (1 for a symmetric class, else 2).
int TbTableSides(int tableClass);

// File name of a class and side inside `dir`: "kqkr.nbw", with ".emd"
// appended when compressed.
std::string TbFileName(const std::string& dir, const std::string& name, int side, bool compressed);

// Which classes are written DATACOMP-compressed: the five-man tables, which
// are large, by default; all or none on request.
enum TbCompression { TbCompressFiveMen, TbCompressAll, TbCompressNone };
bool TbCompressClass(TbCompression compression, int tableClass);

// Finds an existing file of a class and side under the names the prober
// tries; empty when there is none.
std::string TbFindFile(const std::string& dir, const std::string& name, int side);

// Whether every table of the class is in `dir` under a name the prober tries.
bool TbClassFilesPresent(const std::string& dir, const std::string& name);

// Piece lists (king in slot 0, men of type t in slots 4t..4t+3) and the ten
// material counts of a generator position.
void TbPositionToLists(const GenPosition& pos, int32_t* whiteList, int32_t* blackList, int32_t* counts);

// The men of decoded lists in the class's order; false when the lists do not
// hold the class's men.
bool TbListsToPosition(const GenClassInfo& info, const int32_t* whiteList, const int32_t* blackList,
                       int toMove, int epSquare, GenPosition* pos);

// The file image of one side of a generated class.
struct TbImageStats {
  uint64_t positions = 0, wins = 0, losses = 0, draws = 0;
  int longestWin = 0, longestLoss = 0;
};
bool TbBuildImage(const GenTable& table, int side, int threads, std::vector<uint8_t>* image, TbImageStats* stats,
                  std::string* error);

// Reads a table file whole (decompressing a DATACOMP file).
bool TbReadFile(const std::string& path, std::vector<uint8_t>* image, std::string* error);

// Writes an image, compressed when asked (on `threads` threads); a temporary
// name is renamed into place so that an interrupted run leaves no
// half-written table.
bool TbWriteFile(const std::string& path, const std::vector<uint8_t>& image, bool compressed, uint64_t* written,
                 std::string* error, int threads = 1);

// Loads a class from its files into the generator's work layout (both sides,
// en-passant positions included), for use by the classes built on it.
std::unique_ptr<GenTable> TbLoadClass(const std::string& dir, const std::string& name, int threads,
                                      std::string* error);
// Loads only the slice of a class that promotions into it reach (one side's
// file is read).
std::unique_ptr<GenSlice> TbLoadSlice(const std::string& dir, const GenSliceKey& key, int threads,
                                      std::string* error);
