// The progress window of long print runs.
#include "preview/ProgressWindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace lbl::preview {

namespace {

// QProgressBar counts in int; runs past that are shown in proportion.
int barValue(qsizetype value, qsizetype total)
{
    if (total <= INT_MAX) {
        return static_cast<int>(value);
    }
    return static_cast<int>(static_cast<double>(value) / static_cast<double>(total) * INT_MAX);
}

} // namespace

ProgressWindow::ProgressWindow(qsizetype total, QWidget* parent)
    : QDialog(parent)
    , m_total(std::max<qsizetype>(total, 0))
{
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(QStringLiteral("Printing"));
    // Other windows must not change the run under way; Cancel stays live.
    setWindowModality(Qt::ApplicationModal);
    m_label = new QLabel(countText(0, m_total), this);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, barValue(m_total, m_total));
    m_bar->setValue(0);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &ProgressWindow::reject);
}

QString ProgressWindow::countText(qsizetype done, qsizetype total)
{
    return QStringLiteral("%1 of %2 labels").arg(done).arg(total);
}

void ProgressWindow::setDone(qsizetype done)
{
    m_done = std::clamp<qsizetype>(done, 0, m_total);
    m_label->setText(countText(m_done, m_total));
    m_bar->setValue(barValue(m_done, m_total));
}

void ProgressWindow::reject()
{
    m_cancelled = true;
    m_cancel->setEnabled(false);
    m_label->setText(QStringLiteral("Cancelling..."));
}

} // namespace lbl::preview
