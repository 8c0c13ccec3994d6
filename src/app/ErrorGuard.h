// The one guard every event handler runs in, and the texts of the application's message boxes.
#pragma once

#include "preview/MessageBoxes.h"

#include <QString>

#include <exception>
#include <utility>

namespace lbl::app {

/// The caption of every message box: the program file's name up to its first dot, its first letter
/// upper case and every later letter lower case ("labelprint" -> "Labelprint").
QString applicationTitle(const QString& programFilePath);

/// The standard error box's text: the message, plus a full stop when its last character's code is
/// above that of the full stop.
QString errorBoxText(const QString& message);

/// Runs a handler and shows anything it throws in the standard error box; nothing escapes.
class ErrorGuard
{
public:
    ErrorGuard(preview::MessageBoxes& boxes, QString title)
        : m_boxes(boxes)
        , m_title(std::move(title))
    {
    }

    template <typename Handler> void run(Handler&& handler) noexcept
    {
        try {
            std::forward<Handler>(handler)();
        } catch (const std::exception& e) {
            show(QString::fromUtf8(e.what()));
        } catch (...) {
            show(QStringLiteral("Unknown error"));
        }
    }

private:
    void show(const QString& message) noexcept;

    preview::MessageBoxes& m_boxes;
    QString m_title;
};

} // namespace lbl::app
