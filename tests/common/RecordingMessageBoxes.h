// A MessageBoxes stand-in that records every box instead of showing it.
#pragma once

#include "preview/MessageBoxes.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace lbl::test {

class RecordingMessageBoxes : public preview::MessageBoxes
{
public:
    struct Shown
    {
        QString kind; ///< "error", "plain", "engine" or "ask"
        QString title;
        QString text; ///< for "engine": the error lines joined by '\n'
    };

    void showError(const QString& title, const QString& text) override
    {
        shown.append({"error", title, text});
    }
    void showPlain(const QString& title, const QString& text) override
    {
        shown.append({"plain", title, text});
    }
    void showEngineErrors(const QString& title, const QStringList& errors) override
    {
        shown.append({"engine", title, errors.join(QLatin1Char('\n'))});
    }
    Answer ask(const QString& title, const QString& text) override
    {
        shown.append({"ask", title, text});
        return answer;
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Shown& s : shown) {
            result.append(s.text);
        }
        return result;
    }

    QList<Shown> shown;
    Answer answer = Answer::Cancel;
};

} // namespace lbl::test
