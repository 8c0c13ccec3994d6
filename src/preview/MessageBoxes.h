// Every message box the program shows goes through this interface, so tests can read what was shown.
#pragma once

#include <QString>
#include <QStringList>

namespace lbl::preview {

class MessageBoxes
{
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~MessageBoxes() = default;
    /// The application's standard error box: error icon, OK. `text` is shown as given.
    virtual void showError(const QString& title, const QString& text) = 0;
    /// A plain box: no icon, one OK button.
    virtual void showPlain(const QString& title, const QString& text) = 0;
    /// The report engine's error box: error icon, a heading line, then one line per error.
    virtual void showEngineErrors(const QString& title, const QStringList& errors) = 0;
    /// A question with Yes, No and Cancel (e.g. unsaved changes).
    virtual Answer ask(const QString& title, const QString& text) = 0;
};

/// Real boxes, modal on the active window.
class QtMessageBoxes : public MessageBoxes
{
public:
    void showError(const QString& title, const QString& text) override;
    void showPlain(const QString& title, const QString& text) override;
    void showEngineErrors(const QString& title, const QStringList& errors) override;
    Answer ask(const QString& title, const QString& text) override;
};

/// The heading line of the engine's error box.
QString engineErrorHeading();

} // namespace lbl::preview
