// Painting prepared pages: the one path the preview, the printer, PDF export and test images share.
#pragma once

#include "report/Prepare.h"

#include <QRectF>

class QPainter;

namespace lbl::report {

/// Paints `page` scaled into `target`, given in the painter's current coordinates, which must be
/// device units of `deviceDpi`. Nothing is drawn outside `target`; texts are cut to their boxes.
/// Barcode bars are rounded to whole dots of a printer of `dotDpi` (0: `deviceDpi`), so a preview
/// given the printer's dpi shows what will be printed. The painter's state is restored on return.
void paintPage(QPainter& painter, const PreparedPage& page, const QRectF& target, qreal deviceDpi,
               qreal dotDpi = 0);

} // namespace lbl::report
