// Reads any input as a limit file.
#include "fuzz_input.h"

#include "files/limit_file.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tolvane;
    fuzzing::InstallCheckingSink();
    std::vector<Limit> limits;
    if (ReadLimitFile(fuzzing::WriteInputFile(data, size), &limits) == 1)
        for (const Limit& limit : limits)
            if (!(limit.startHz >= 0.0 && limit.startHz <= limit.stopHz)) std::abort();
    return 0;
}
