// The fuzz targets as plain functions: libFuzzer calls them through the thin
// wrappers of libfuzzer_entry.cpp, and the corpus driver of the ordinary test
// build (tests/fuzz) feeds them every committed corpus file. Each answers 0
// and aborts on any broken invariant.
#pragma once

#include <cstddef>
#include <cstdint>

// The file's bytes through parseBmpImage, then as a file through loadTexture
// into the texture table and onto the screen through the textured rasterizer.
int fuzzBmpImage(const std::uint8_t* data, std::size_t size);

// A display list built from the bytes (projected vertices, colours, texture
// coordinates, primitive records, callback slots, screen and clip sizes),
// sorted and dispatched twice into a back buffer framed by guard zones.
int fuzzDispatch(const std::uint8_t* data, std::size_t size);

// The bytes as a replay script through parseReplayScript.
int fuzzReplayScript(const std::uint8_t* data, std::size_t size);

// Target names as the build and the driver know them.
using FuzzTarget = int (*)(const std::uint8_t*, std::size_t);
struct FuzzTargetEntry {
    const char* name;
    FuzzTarget run;
};
inline constexpr FuzzTargetEntry FUZZ_TARGETS[] = {
    {"bmp", fuzzBmpImage},
    {"dispatch", fuzzDispatch},
    {"replay_script", fuzzReplayScript},
};
