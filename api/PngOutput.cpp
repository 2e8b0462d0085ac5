#include "api/PngOutput.h"

#include "image/MyPngWriter.h"

#include <cstdio>
#include <sys/types.h>

namespace {

struct SinkStream {
    const kavren::ByteSink* sink;
    bool refused = false;
};

bool Deliver(const kavren::ByteSink& sink, const char* data, std::size_t size)
{
    try {
        return sink(reinterpret_cast<const std::uint8_t*>(data), size);
    } catch (...) {
        return false; // nothing may unwind through stdio and libpng
    }
}

// A stdio stream whose writes go to the sink: the writer's file path, as is.
ssize_t WriteToSink(void* cookie, const char* data, std::size_t size)
{
    auto* stream = static_cast<SinkStream*>(cookie);
    if (stream->refused || !Deliver(*stream->sink, data, size)) {
        stream->refused = true;
        return -1;
    }
    return static_cast<ssize_t>(size);
}

} // namespace

bool WritePng(CMyPngWriter& writer, const kavren::ByteSink& sink)
{
    SinkStream state{&sink};
    FILE* stream = fopencookie(&state, "wb", {nullptr, &WriteToSink, nullptr, nullptr});
    if (!stream)
        return false;
    const bool written = writer.WriteTo(stream);
    const bool closed = std::fclose(stream) == 0;
    return written && closed && !state.refused;
}
