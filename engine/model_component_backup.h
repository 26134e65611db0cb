#pragma once

#include <memory>

namespace tolvane {

struct ModelInfo;

/// A copy of one of a model's component records, kept aside to be put back. The term editors
/// change a component record in place (their pages write its tables, "Copy" replaces the whole
/// record); when the user cancels, or a page's value is refused, the record is restored from it.
class ModelComponentBackup {
public:
    /// Copies every field and table of the model's record `component` (a ModelComponent code
    /// from kModelVNA to kModelCalKit). A missing record or table is left out, and stays missing.
    ModelComponentBackup(ModelInfo* model, int component);
    ~ModelComponentBackup();
    ModelComponentBackup(const ModelComponentBackup&) = delete;
    ModelComponentBackup& operator=(const ModelComponentBackup&) = delete;

    /// Writes the copy back into the model's record: its fields and tables are then exactly as
    /// when the backup was made. The model must be the one the backup was made of.
    void restore(ModelInfo* model) const;

private:
    struct Saved;
    int component_;
    std::unique_ptr<Saved> saved_;
};

} // namespace tolvane
