#pragma once

#include <QIcon>
#include <QPixmap>

namespace tolvane {

/// Side of a background tile in pixels; tiles repeat at this pitch from the area's corner.
inline constexpr int kBackgroundTileSize = 480;

/// Background tile 1 (engineering graph paper) or 2 (the same paper under a faint Smith chart),
/// 480 × 480, quiet enough to sit behind charts. Drawn the same way on every run.
[[nodiscard]] QPixmap DrawBackgroundTile(int tile);

/// The program's icon: a small Smith chart with a point and its uncertainty circle.
[[nodiscard]] QIcon ApplicationIcon();

} // namespace tolvane
