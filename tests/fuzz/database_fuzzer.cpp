// Reads any input as a component database into four fresh lists, then destroys every record it
// appended, so that the lists never grow from one run to the next.
#include "fuzz_input.h"

#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dielectric.h"
#include "components/vna.h"
#include "core/component_lists.h"
#include "files/database_file.h"

#include <utility>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tolvane;
    fuzzing::InstallCheckingSink();
    const char* path = fuzzing::WriteInputFile(data, size);

    ComponentLists& lists = GlobalComponentLists();
    lists.connectors = CreateInfoList();
    lists.vnas = CreateInfoList();
    lists.calKits = CreateInfoList();
    lists.dielectrics = CreateInfoList();
    (void)ReadUncertaintyFile(path);
    DestroyInfoListAndItems<ConnInfo>(std::exchange(lists.connectors, nullptr), DestroyConnInfo);
    DestroyInfoListAndItems<VNAInfo>(std::exchange(lists.vnas, nullptr), DestroyVNAInfo);
    DestroyInfoListAndItems<CalInfo>(std::exchange(lists.calKits, nullptr), DestroyCalInfo);
    DestroyInfoListAndItems<DielInfo>(std::exchange(lists.dielectrics, nullptr), DestroyDielInfo);
    return 0;
}
