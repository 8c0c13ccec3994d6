// Qt's modal file dialogs for the designer.
#include "designer/FileDialogs.h"

#include <QFileDialog>

namespace lbl::designer {

QString QtFileDialogs::openFile(QWidget* parent, const QString& title, const QString& folder,
                                const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString QtFileDialogs::saveFile(QWidget* parent, const QString& title, const QString& suggested,
                                const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

} // namespace lbl::designer
