#include "api/OutputBytes.h"

#include "image/MyPngWriter.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

bool WritePngBytes(CMyPngWriter& writer, std::vector<std::uint8_t>& bytes)
{
    char* buffer = nullptr;
    std::size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    if (!stream)
        return false;
    const bool written = writer.WriteTo(stream);
    // Closing makes buffer and size final; the buffer is ours either way.
    const bool closed = std::fclose(stream) == 0;
    const std::unique_ptr<char, decltype(&std::free)> owned(buffer, &std::free);
    if (!written || !closed)
        return false;
    bytes.assign(buffer, buffer + size);
    return true;
}
