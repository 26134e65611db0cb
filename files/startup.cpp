#include "files/startup.h"

#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dielectric.h"
#include "components/vna.h"
#include "core/component_lists.h"
#include "engine/config.h"
#include "engine/measured_dut.h"
#include "engine/model.h"
#include "engine/plot_info.h"
#include "engine/program_state.h"
#include "engine/uncertainty.h"
#include "files/config_file.h"
#include "files/database_file.h"
#include "files/line_reader.h"
#include "files/model_file.h"
#include "files/safe_file_writer.h"

#include <cstdio>
#include <string>
#include <utility>

namespace tolvane {

int CreateProgramState() {
    ComponentLists& lists = GlobalComponentLists();
    ProgramState& state = GlobalProgramState();

    // Everything starts empty (ShutDown leaves every pointer null), so that ShutDown can clean up
    // after any step below; whatever an earlier start left is destroyed rather than lost.
    ShutDown();
    state.currentResultSlot = 0;
    state.resultCount = 0;
    state.plotSubtitle.clear();

    // A list that cannot be created fails the start-up without a message.
    for (InfoList** list :
         {&lists.connectors, &lists.vnas, &lists.calKits, &lists.dielectrics, &state.plots}) {
        *list = CreateInfoList();
        if (*list == nullptr) return 0;
    }
    for (UncertaintyInfo*& slot : state.results) {
        slot = CreateUncertaintyInfo();
        if (slot == nullptr) return 0;
    }
    return 1;
}

int StartUp() {
    if (CreateProgramState() == 0) return 0;
    if (ReadUncertaintyFile(kDatabaseFileName) == 0) return 0;

    ProgramState& state = GlobalProgramState();
    state.currentConfig = CreateConfigInfo();
    if (state.currentConfig == nullptr ||
        ReadConfigFile(state.currentConfig, kDefaultConfigFileName) == 0)
        return 0;

    state.currentModel = CreateModelInfo();
    if (state.currentModel == nullptr ||
        ReadModelFile(state.currentModel, kDefaultModelFileName) == 0)
        return 0;
    return 1;
}

void ShutDown() {
    ComponentLists& lists = GlobalComponentLists();
    ProgramState& state = GlobalProgramState();

    DestroyInfoListAndItems<ConnInfo>(std::exchange(lists.connectors, nullptr), DestroyConnInfo);
    DestroyInfoListAndItems<VNAInfo>(std::exchange(lists.vnas, nullptr), DestroyVNAInfo);
    DestroyInfoListAndItems<CalInfo>(std::exchange(lists.calKits, nullptr), DestroyCalInfo);
    DestroyInfoListAndItems<DielInfo>(std::exchange(lists.dielectrics, nullptr), DestroyDielInfo);
    DestroyInfoListAndItems<PlotInfo>(std::exchange(state.plots, nullptr), DestroyPlotInfo);

    if (ConfigInfo* config = std::exchange(state.currentConfig, nullptr)) DestroyConfigInfo(config);
    if (ModelInfo* model = std::exchange(state.currentModel, nullptr)) DestroyModelInfo(model);
    for (UncertaintyInfo*& slot : state.results)
        if (UncertaintyInfo* results = std::exchange(slot, nullptr))
            DestroyUncertaintyInfo(results);
    for (auto& measured : state.measuredResults)
        measured.reset();
}

int ReadPreference(int* value, const char* path) {
    if (value == nullptr || path == nullptr) return 0;
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) return 0;

    int result = 1;
    char buffer[KeywordLineReader::kMaxLineLength + 1];
    while (std::feof(file) == 0) {
        if (std::fgets(buffer, sizeof buffer, file) == nullptr) {
            if (std::ferror(file) != 0) result = 0;
            break;
        }
        const std::string line = buffer;
        if (IsBlankLine(line) || IsCommentLine(line)) continue;
        if (!ScanNumbers(line, value)) {
            result = 0;
            break;
        }
    }
    std::fclose(file);
    return result;
}

int WritePreference(int value, const char* path) {
    if (path == nullptr) return 0;
    SafeFileWriter writer(path);
    return writer.open() && writer.print("%d", value) && writer.commit() ? 1 : 0;
}

} // namespace tolvane
