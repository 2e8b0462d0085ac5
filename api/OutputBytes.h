// The encoded file of a render, in memory.
#pragma once

#include <cstdint>
#include <vector>

class CMyPngWriter;

// The writer's whole PNG stream, the same bytes it writes into a file;
// false when it could not be written.
bool WritePngBytes(CMyPngWriter& writer, std::vector<std::uint8_t>& bytes);
