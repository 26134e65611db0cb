#pragma once

namespace tolvane {

/// Reads the component database at `path` and appends one record per complete block to the
/// global component lists (GlobalComponentLists()), in file order: CONNECTOR blocks to the
/// connectors, DIELECTRIC to the dielectrics, VNA to the VNAs, CALIBRATION to the calibration
/// kits. A block that fails to parse or is cut off by the end of the file leaves no record.
/// Returns 1 when the end of the file was reached, also after line errors (reported); 0 when the
/// file cannot be opened, a read fails, or the four lists have not been created.
[[nodiscard]] int ReadUncertaintyFile(const char* path);

} // namespace tolvane
