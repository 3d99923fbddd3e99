// Verification of table files: every index is decoded to its position and
// its byte re-derived from one ply of legal moves, the children read through
// the class table, the material trie and the index functions exactly as the
// prober reads them (captures and promotions from the smaller classes' files).
#pragma once
#include <cstdint>
#include <functional>
#include <string>

struct TbVerifyResult {
  uint64_t indices = 0;          // file entries checked
  uint64_t positions = 0;        // entries holding a legal position
  uint64_t inconsistencies = 0;  // entries whose byte differs from their moves
  uint64_t layoutFaults = 0;     // a decoded position whose index is another
  int longestWin[2] = {0, 0};    // per table side, in moves
};

// Called for the first few inconsistencies: class, side, index, stored and
// expected byte.
using TbVerifyReport = std::function<void(const std::string&, int, uint32_t, int, int)>;

// Verifies both tables of a class in `dir` (one for a symmetric class).
bool TbVerifyClass(const std::string& dir, const std::string& name, int threads, const TbVerifyReport& report,
                   TbVerifyResult* result, std::string* error);

// Drops the files held in memory by earlier verifications.
void TbVerifyForget();
