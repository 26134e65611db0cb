// Reads any input as a model file into a new model record.
#include "fuzz_input.h"

#include "engine/model.h"
#include "files/model_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tolvane;
    fuzzing::InstallCheckingSink();
    const char* path = fuzzing::WriteInputFile(data, size);
    ModelInfo* model = CreateModelInfo();
    (void)ReadModelFile(model, path);
    (void)DestroyModelInfo(model);
    return 0;
}
