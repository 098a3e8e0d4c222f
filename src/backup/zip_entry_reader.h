#pragma once
// Reads one entry of an open archive to its end, so that every check runs: CRC, size, and
// for WinZip AES the authentication code.
#include <cstddef>
#include <functional>
#include <string>

#include <zip.h>

namespace tarvo {

using ChunkSink = std::function<bool(const char* data, std::size_t size)>;

// Every byte goes to sink when there is one, called in order on a thread of its own; with whole false only the first block is read
// (enough to check a password). On failure error says why.
bool ReadEntryData(zip_t* archive, zip_uint64_t index, const std::string& password, const ChunkSink* sink,
                   bool whole, std::string& error);

}  // namespace tarvo
