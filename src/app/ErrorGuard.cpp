// The standard error box and the application title.
#include "app/ErrorGuard.h"

#include <QFileInfo>

namespace lbl::app {

QString applicationTitle(const QString& programFilePath)
{
    const QString fileName = QFileInfo(programFilePath).fileName();
    QString name = fileName.left(fileName.indexOf(QLatin1Char('.')));
    if (name.isEmpty()) {
        return name;
    }
    return name.left(1).toUpper() + name.mid(1).toLower();
}

QString errorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.') {
        return message + QLatin1Char('.');
    }
    return message;
}

void ErrorGuard::show(const QString& message) noexcept
{
    try {
        m_boxes.showError(m_title, errorBoxText(message));
    } catch (...) { // a box that fails to show must not take the program down
    }
}

} // namespace lbl::app
