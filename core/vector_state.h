#pragma once

namespace tolvane {

/// Clears the upper halves of the AVX registers where the processor has AVX; nothing elsewhere.
///
/// Some libraries (Qt's start-up among them) leave those halves in use. Until they are cleared,
/// every older SSE instruction runs many times slower on some processors: the C library's
/// log10 took 200 ns instead of 10, and a thread started meanwhile inherits the state. Long work
/// calls this on each thread it runs on before it starts; the results do not change.
void ClearUpperVectorState() noexcept;

/// Whether the upper halves of the AVX registers are in use on this thread; false where the
/// processor cannot tell (no AVX, or no XGETBV of the registers in use).
[[nodiscard]] bool UpperVectorStateInUse() noexcept;

} // namespace tolvane
