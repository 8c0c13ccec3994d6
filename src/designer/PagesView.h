// Prepared pages one under another, for the designer's preview tab.
#pragma once

#include "report/Prepare.h"

#include <QWidget>

namespace lbl::designer {

class PagesView : public QWidget
{
    Q_OBJECT

public:
    explicit PagesView(QWidget* parent = nullptr);

    void setPages(const report::PreparedReport& pages);
    const report::PreparedReport& pages() const { return m_pages; }
    /// 1 is 100 %, as on the design canvas.
    void setZoom(qreal zoom);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVector<QRectF> pageRects() const;

    report::PreparedReport m_pages;
    qreal m_zoom = 2;
};

} // namespace lbl::designer
