#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32 as zlib and PNG compute it (reflected 0xEDB88320, all-ones start
// and end), so a journal entry can be checked with common tools.
uint32_t Crc32(const uint8_t* data, size_t length);
