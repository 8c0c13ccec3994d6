// Qt message boxes behind the MessageBoxes interface.
#include "preview/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace lbl::preview {

namespace {

QWidget* owner()
{
    return QApplication::activeWindow();
}

} // namespace

QString engineErrorHeading()
{
    return QStringLiteral("The following errors occurred:");
}

void QtMessageBoxes::showError(const QString& title, const QString& text)
{
    QMessageBox::critical(owner(), title, text, QMessageBox::Ok);
}

void QtMessageBoxes::showPlain(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, owner());
    box.exec();
}

void QtMessageBoxes::showEngineErrors(const QString& title, const QStringList& errors)
{
    QMessageBox::critical(owner(), title,
                          engineErrorHeading() + QLatin1Char('\n') + errors.join(QLatin1Char('\n')),
                          QMessageBox::Ok);
}

MessageBoxes::Answer QtMessageBoxes::ask(const QString& title, const QString& text)
{
    const auto button =
        QMessageBox::question(owner(), title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (button == QMessageBox::Yes) {
        return Answer::Yes;
    }
    if (button == QMessageBox::No) {
        return Answer::No;
    }
    return Answer::Cancel;
}

} // namespace lbl::preview
