// Template files (.lbt): the report model as XML, read and written through Qt's XML streams.
#pragma once

#include "report/Report.h"

#include <QByteArray>
#include <QString>

namespace lbl::report {

/// The format version written to the root element; files of a higher version are read as far
/// as this program understands them, with a listed warning.
inline constexpr int kTemplateFormatVersion = 1;

/// The whole template as UTF-8 XML. The file name is not part of it.
QByteArray templateToXml(const Report& report);

/// Clears `report` and reads the template in `xml` into it; the file name is left empty. Every
/// problem is added to `errors` as "<sourceName>: line <n>: <reason>" and reading goes on where it
/// can; what was read before an XML syntax error is kept.
void templateFromXml(const QByteArray& xml, Report& report, ErrorList& errors, const QString& sourceName);

} // namespace lbl::report
