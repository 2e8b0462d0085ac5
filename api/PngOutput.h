// The encoded PNG stream of a render, handed to a sink.
#pragma once

#include "kavren/kavren.h"

class CMyPngWriter;

// The writer's whole PNG stream, the same bytes it writes into a file, in
// pieces to the sink; false when the sink refused a piece or libpng failed.
bool WritePng(CMyPngWriter& writer, const kavren::ByteSink& sink);
