// The window a long print run shows: how many labels are done, and Cancel.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

namespace lbl::preview {

/// Counts the labels of a run of `total` and offers Cancel. Shown with show(), never exec(): the run
/// keeps the event loop turning while it works. Its object name is "ProgressWindow" and its button's
/// "cancelButton", so a test can find and press them.
class ProgressWindow : public QDialog
{
    Q_OBJECT

public:
    explicit ProgressWindow(qsizetype total, QWidget* parent = nullptr);

    /// "n of N labels".
    static QString countText(qsizetype done, qsizetype total);

    void setDone(qsizetype done);
    qsizetype labelsDone() const { return m_done; }
    qsizetype total() const { return m_total; }
    /// True once Cancel was pressed (or the window was closed).
    bool wasCancelled() const { return m_cancelled; }

protected:
    void reject() override;

private:
    qsizetype m_total;
    qsizetype m_done = 0;
    bool m_cancelled = false;
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace lbl::preview
