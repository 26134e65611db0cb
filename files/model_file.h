#pragma once

namespace tolvane {

struct ModelInfo;

/// Fills the existing model from the model file at `path`, in place: whatever the file does not
/// mention keeps its value. Returns 1 when the end of the file was reached, also after line errors
/// (they are reported, and everything after the first one is ignored); 0 when the model is null,
/// the file cannot be opened or a read fails. Frequencies are read in GHz and held in Hz.
[[nodiscard]] int ReadModelFile(ModelInfo* model, const char* path);

/// Writes the model's error-term tables, frequencies, port power, averaging factors, IF bandwidths
/// and DUT to `path`. The text goes to a temporary file that replaces the target only when
/// everything was written, so a failure leaves the previous file as it was. Returns 1 on success,
/// 0 after reporting a null model, a file that cannot be created, a failed write or a failed
/// query (the record reports that one).
[[nodiscard]] int WriteModelFile(const ModelInfo* model, const char* path);

/// What "Recall Model..." does once a file is chosen: reads `path` into a new model and, when
/// ReadModelFile returns 1, destroys `*current` and installs the new model in its place. Otherwise
/// `*current` stays and the new model is destroyed. Returns what the reading returned (0 also when
/// the new model cannot be created or `current` is null).
[[nodiscard]] int ReplaceModelFromFile(ModelInfo** current, const char* path);

} // namespace tolvane
