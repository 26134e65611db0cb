// Reads any input as a Touchstone file, under a name without an extension (the number of ports
// taken from the data) and under ".s1p" and ".s2p" names, chosen by the input's size.
#include "fuzz_input.h"

#include "engine/measurement.h"
#include "files/touchstone_file.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

/// A link named `name` in a folder of this process to the input file.
std::string LinkToInput(const char* input, const char* name) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("tolvane-fuzz-touchstone-" + std::to_string(::getpid()));
    static const bool cleanUp = [] {
        (void)std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(
                std::filesystem::temp_directory_path() /
                    ("tolvane-fuzz-touchstone-" + std::to_string(::getpid())),
                ignored);
        });
        return true;
    }();
    (void)cleanUp;
    std::filesystem::create_directories(folder);
    const std::filesystem::path link = folder / name;
    std::error_code ignored;
    std::filesystem::remove(link, ignored);
    std::filesystem::create_symlink(input, link);
    return link.string();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tolvane;
    fuzzing::InstallCheckingSink();
    const char* input = fuzzing::WriteInputFile(data, size);
    static const std::string onePort = LinkToInput(input, "input.s1p");
    static const std::string twoPort = LinkToInput(input, "input.s2p");
    const char* paths[] = {input, onePort.c_str(), twoPort.c_str()};
    Measurement measurement;
    if (ReadTouchstoneFile(paths[size % 3], &measurement) == 1) {
        // What was read is what the computation relies on.
        if (measurement.points.empty() || measurement.points.size() > kMaxMeasuredFrequencies ||
            (measurement.numPorts != 1 && measurement.numPorts != 2))
            std::abort();
        for (std::size_t i = 1; i < measurement.points.size(); ++i)
            if (!(measurement.points[i].frequencyHz > measurement.points[i - 1].frequencyHz))
                std::abort();
    }
    return 0;
}
