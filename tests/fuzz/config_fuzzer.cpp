// Reads any input as a configuration file into a new configuration record.
#include "fuzz_input.h"

#include "engine/config.h"
#include "files/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tolvane;
    fuzzing::InstallCheckingSink();
    const char* path = fuzzing::WriteInputFile(data, size);
    ConfigInfo* config = CreateConfigInfo();
    (void)ReadConfigFile(config, path);
    (void)DestroyConfigInfo(config);
    return 0;
}
