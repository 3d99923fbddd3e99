// Texts for the decoder's result codes.
#include "datacomp.h"

const char* DatacompErrorText(int32_t code) {
  switch (code) {
    case kDatacompOk: return "ok";
    case kDatacompErrorShortHeader: return "file too short for its header";
    case kDatacompErrorBanner: return "not a compressed table file (banner mismatch)";
    case kDatacompErrorHeaderField: return "invalid header field";
    case kDatacompErrorHeaderLength: return "header length out of range";
    case kDatacompErrorChecksum: return "header checksum mismatch";
    case kDatacompErrorBlockCount: return "block count does not fit the header";
    case kDatacompErrorHeaderStream: return "header bit stream runs past its end";
    case kDatacompErrorCodeLengths: return "invalid code lengths";
    case kDatacompErrorPrefixCode: return "code lengths do not form a prefix code";
    case kDatacompErrorOffsets: return "blocks reach past the end of the file";
    case kDatacompErrorBlockNumber: return "no such block";
    case kDatacompErrorOutputSpace: return "output buffer too small for the block";
    case kDatacompErrorInputSpace: return "compressed block larger than the input buffer";
    case kDatacompErrorCopyDistance: return "copy reaches before the start of the block";
    case kDatacompErrorBlockStream: return "block bit stream runs past the block";
    case kDatacompErrorSeek: return "seek failed";
    case kDatacompErrorRead: return "read failed or file truncated";
    case kDatacompErrorMemory: return "out of memory";
    default: return "unknown error";
  }
}
