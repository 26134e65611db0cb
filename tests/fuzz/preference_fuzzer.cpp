// Reads any input as a preferences file.
#include "fuzz_input.h"

#include "files/startup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* path = tolvane::fuzzing::WriteInputFile(data, size);
    int background = 0;
    (void)tolvane::ReadPreference(&background, path);
    return 0;
}
