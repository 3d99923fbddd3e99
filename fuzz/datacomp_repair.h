// Puts the banner and the header checksum of a DATACOMP file image right, so
// that mutations reach the fields behind them instead of being refused at
// the first check.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "datacomp.h"

inline void RepairDatacompHeader(std::vector<uint8_t>* file) {
  if (file->size() < kDatacompFixedHeaderLength) return;
  uint8_t* bytes = file->data();
  std::memcpy(bytes, kDatacompBanner, kDatacompBannerLength);
  std::memset(bytes + kDatacompBannerLength, 0, 4);
  uint32_t h = (uint32_t(bytes[64]) << 24) | (uint32_t(bytes[65]) << 16) | (uint32_t(bytes[66]) << 8) | bytes[67];
  if (h < kDatacompMinHeaderLength || h > file->size()) return;
  uint32_t sum = Checksum(bytes, h - 4, 0);
  for (int i = 0; i < 4; i++) bytes[h - 4 + i] = static_cast<uint8_t>(sum >> (24 - 8 * i));
}
