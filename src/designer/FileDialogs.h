// The designer's file dialogs behind an interface, so tests answer them without a person.
#pragma once

#include <QString>

class QWidget;

namespace lbl::designer {

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    /// A file to open, starting in `folder`; empty when the user cancelled.
    virtual QString openFile(QWidget* parent, const QString& title, const QString& folder,
                             const QString& filter) = 0;
    /// A file to save to, proposing `suggested` (a path); empty when the user cancelled.
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& suggested,
                             const QString& filter) = 0;
};

/// Qt's own modal file dialogs.
class QtFileDialogs : public FileDialogs
{
public:
    QString openFile(QWidget* parent, const QString& title, const QString& folder,
                     const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& suggested,
                     const QString& filter) override;
};

} // namespace lbl::designer
