// libFuzzer's entry point for one target, chosen at build time: a thin
// wrapper, so that the corpus driver of the ordinary build runs the very
// same code.
#include <cstddef>
#include <cstdint>

#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return VANTIR_FUZZ_TARGET(data, size);
}
