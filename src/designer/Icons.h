// Toolbar icons drawn with QPainter, so the designer needs no image files.
#pragma once

#include <QIcon>

namespace lbl::designer {

enum class IconKind {
    Select,
    Text,
    Barcode,
    Line,
    Rect,
    Picture,
    AlignLeft,
    AlignRight,
    AlignTop,
    AlignBottom,
    AlignHCentre,
    AlignVCentre,
    DistributeH,
    DistributeV,
    Front,
    Back,
    Grid,
    Snap,
    Preview,
    PageSetup,
    Band
};

/// A 24 x 24 icon (with a 48 x 48 pixmap for high-dpi screens).
QIcon designerIcon(IconKind kind);

} // namespace lbl::designer
