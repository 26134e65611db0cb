#pragma once

#include <cstddef>
#include <functional>

namespace tolvane {

/// The hardware threads of the machine, at least 1.
[[nodiscard]] unsigned HardwareThreads();

/// Runs task(chunk, worker) for every chunk from 0 to chunkCount - 1 on `threadCount` threads, the
/// calling thread being worker 0 and the others 1 to threadCount - 1, and returns when every chunk
/// is done. Chunks are handed out in ascending order to whichever worker is free, so a worker may
/// keep per-worker scratch space indexed by `worker`. The workers are kept waiting between runs
/// (the first run that needs them starts them); runs from several threads take turns. The task
/// must not throw.
void RunOnWorkers(std::size_t chunkCount, unsigned threadCount,
                  const std::function<void(std::size_t chunk, unsigned worker)>& task);

/// As RunOnWorkers, with the calling thread running lead() first while the other workers already
/// take chunks: for chunks that wait for what lead() produces (on one thread, lead() runs to its
/// end before the first chunk).
void RunOnWorkers(std::size_t chunkCount, unsigned threadCount, const std::function<void()>& lead,
                  const std::function<void(std::size_t chunk, unsigned worker)>& task);

} // namespace tolvane
