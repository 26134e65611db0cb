#pragma once

#include "components/dut.h"

#include <array>
#include <string>

namespace tolvane {

struct DUTInfo;
class SafeFileWriter;

/// Decimals of the sweep start and stop frequencies (GHz) on the DUT block's sweep line: the
/// configuration file writes "%d   %.3f   %.3f   %d", the model file "%d   %.4f   %.4f   %d".
inline constexpr int kConfigSweepDecimals = 3;
inline constexpr int kModelSweepDecimals = 4;

/// Prints the DUT block ("DUT" to the third coverage-factor line) shared by the configuration and
/// model files, querying each value from `dut` just before it is printed. Returns 1 on success and
/// 0 when a query failed (the DUT module has reported it) or a print failed (out.failed() is then
/// true, and the caller reports "Error writing to the file:" under its own routine).
[[nodiscard]] int WriteDUTBlock(SafeFileWriter& out, const DUTInfo* dut, int sweepDecimals);

/// Reads the eight lines that follow a "DUT" keyword line, by position: blank and comment lines
/// never reach it. One object serves one block; the S-parameters of line 4 and the coverage
/// factors of lines 6 and 7 are held until the lines that store them.
class DUTBlockReader {
public:
    enum class Step {
        NeedMore, ///< the line was stored; the block expects its next line
        Complete, ///< the eighth line was stored; back to the keyword state
        Error,    ///< the line did not give all its numbers, or the record refused a value
                  ///< (it has reported); the caller reports "Error parsing the line:"
    };

    /// Stores line `lineNumber()` of the block into `dut`, in the order of the DUT setters,
    /// stopping at the first refusal. A null `dut` is an error.
    [[nodiscard]] Step takeLine(DUTInfo* dut, const std::string& line);

    /// The block line (1 to 8) the next takeLine will read.
    [[nodiscard]] int lineNumber() const { return line_; }

private:
    int line_ = 1;
    std::array<float, 4> userSParamsDb_{};
    CoverageFactors coverageFactors_{};
};

} // namespace tolvane
