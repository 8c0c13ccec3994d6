// Page preparation: one layout routine serves both the page count and the pages themselves.
#include "report/Prepare.h"

#include "report/Expression.h"

#include <algorithm>
#include <unordered_map>

namespace lbl::report {

namespace {

// Tolerance for lengths that add up from decimal millimetres.
constexpr qreal kEpsilonMm = 1e-6;

class Layout
{
public:
    Layout(const Report& report, const DataLinks& links, ErrorList& errors, const PrepareOptions& options)
        : m_report(report)
        , m_links(links)
        , m_errors(errors)
    {
        m_context.links = &m_links;
        m_context.now = options.now;
    }

    // Without a sink only counts pages; nothing is resolved or built.
    qsizetype run(const PageSink* sink, qsizetype totalPages)
    {
        m_sink = sink;
        m_context.totalPages = totalPages;
        m_pageCount = 0;
        m_stopped = false;
        for (const Page& page : m_report.pages) {
            if (m_stopped) {
                break;
            }
            runPage(page);
        }
        return m_pageCount;
    }

private:
    void runPage(const Page& page)
    {
        m_page = &page;
        m_headers.clear();
        m_footers.clear();
        QVector<const Band*> masters;
        m_headerMm = 0;
        m_footerMm = 0;
        for (const Band& band : page.bands) {
            switch (band.type) {
            case BandType::PageHeader:
                m_headers.append(&band);
                m_headerMm += band.heightMm;
                break;
            case BandType::PageFooter:
                m_footers.append(&band);
                m_footerMm += band.heightMm;
                break;
            case BandType::MasterData:
                masters.append(&band);
                break;
            }
        }
        m_columns = std::max(1, page.columns.count);
        const qreal usable = page.widthMm - page.margins.leftMm - page.margins.rightMm;
        m_columnWidthMm = (usable - page.columns.gapMm * (m_columns - 1)) / m_columns;
        m_bodyTopMm = page.margins.topMm + m_headerMm;
        m_open = false;

        if (masters.isEmpty()) {
            openPage();
            closePage();
            return;
        }
        for (const Band* band : masters) {
            if (m_stopped) {
                break;
            }
            runMaster(*band);
        }
        if (m_open && !m_stopped) {
            closePage();
        }
    }

    void runMaster(const Band& band)
    {
        if (band.dataSet.isEmpty()) {
            m_context.line = 1;
            placeRecord(band);
            return;
        }
        const DataLink* link = m_links.find(band.dataSet);
        if (link == nullptr) {
            m_errors.add(QStringLiteral("Unknown data set \"%1\"").arg(band.dataSet));
            return;
        }
        data::RecordSet* set = link->recordSet();
        if (set == nullptr) {
            m_errors.add(QStringLiteral("%1: no data source").arg(link->alias()));
            return;
        }
        try {
            set->first();
            qsizetype line = 1;
            while (!set->eof() && !m_stopped) {
                m_context.line = line++;
                placeRecord(band);
                set->next();
            }
        } catch (const data::DataError& e) {
            m_errors.add(QString::fromUtf8(e.what()));
        }
    }

    qreal pageBottomMm() const { return m_page->heightMm - m_page->margins.bottomMm - m_footerMm; }

    qreal columnLeftMm(int column) const
    {
        return m_page->margins.leftMm + column * (m_columnWidthMm + m_page->columns.gapMm);
    }

    void placeRecord(const Band& band)
    {
        if (!m_open) {
            openPage();
        } else if (m_page->growsWithContent) {
            if (m_column + 1 >= m_columns) {
                nextPage();
            } else {
                ++m_column;
            }
        } else if (m_columnUsed && m_yMm + band.heightMm > pageBottomMm() + kEpsilonMm) {
            if (m_column + 1 >= m_columns) {
                nextPage();
            } else {
                ++m_column;
                m_yMm = m_bodyTopMm;
            }
        }
        if (m_stopped) {
            return;
        }
        addBand(band, columnLeftMm(m_column), m_yMm);
        m_columnUsed = true;
        if (m_page->growsWithContent) {
            m_rowMm = std::max(m_rowMm, band.heightMm);
        } else {
            m_yMm += band.heightMm;
        }
    }

    void nextPage()
    {
        closePage();
        if (!m_stopped) {
            openPage();
        }
    }

    void openPage()
    {
        m_open = true;
        m_column = 0;
        m_columnUsed = false;
        m_yMm = m_bodyTopMm;
        m_rowMm = 0;
        m_context.page = m_pageCount + 1;
        m_current = PreparedPage();
        qreal y = m_page->margins.topMm;
        for (const Band* band : m_headers) {
            addBand(*band, m_page->margins.leftMm, y);
            y += band->heightMm;
        }
    }

    void closePage()
    {
        qreal heightMm = m_page->heightMm;
        if (m_page->growsWithContent) {
            heightMm = std::max(heightMm, m_bodyTopMm + m_rowMm + m_footerMm + m_page->margins.bottomMm);
        }
        qreal y = heightMm - m_page->margins.bottomMm - m_footerMm;
        for (const Band* band : m_footers) {
            addBand(*band, m_page->margins.leftMm, y);
            y += band->heightMm;
        }
        m_current.sizeMm = QSizeF(m_page->widthMm, heightMm);
        m_open = false;
        const qsizetype index = m_pageCount++;
        if (m_sink != nullptr && !(*m_sink)(m_current, index, m_context.totalPages)) {
            m_stopped = true;
        }
        m_current = PreparedPage();
    }

    void addBand(const Band& band, qreal xMm, qreal yMm)
    {
        if (m_sink == nullptr) {
            return;
        }
        for (const ReportObject& object : band.objects) {
            PreparedItem item;
            item.boxMm = object.boxMm.translated(xMm, yMm);
            item.content = object.content;
            if (auto* text = std::get_if<TextObject>(&item.content)) {
                text->text = expression(object, text->text).evaluate(m_context, m_errors);
            } else if (auto* barcode = std::get_if<BarcodeObject>(&item.content)) {
                barcode->data = expression(object, barcode->data).evaluate(m_context, m_errors);
                item.symbol = encodeBarcode(barcode->style, barcode->data);
                if (!item.symbol.isValid()) {
                    m_errors.add(item.symbol.error);
                }
            } else if (const auto* picture = std::get_if<PictureObject>(&item.content)) {
                item.image = image(object, picture->imageData);
            }
            m_current.items.append(item);
        }
    }

    const Expression& expression(const ReportObject& object, const QString& text)
    {
        auto it = m_expressions.find(&object);
        if (it == m_expressions.end()) {
            it = m_expressions.emplace(&object, Expression(text)).first;
        }
        return it->second;
    }

    QImage image(const ReportObject& object, const QByteArray& data)
    {
        auto it = m_images.find(&object);
        if (it == m_images.end()) {
            QImage decoded = QImage::fromData(data);
            if (decoded.isNull() && !data.isEmpty()) {
                m_errors.add(QStringLiteral("Picture \"%1\": not a PNG or JPEG image").arg(object.name));
            }
            it = m_images.emplace(&object, decoded).first;
        }
        return it->second;
    }

    const Report& m_report;
    const DataLinks& m_links;
    ErrorList& m_errors;
    ExpressionContext m_context;
    const PageSink* m_sink = nullptr;
    qsizetype m_pageCount = 0;
    bool m_stopped = false;

    const Page* m_page = nullptr;
    QVector<const Band*> m_headers;
    QVector<const Band*> m_footers;
    qreal m_headerMm = 0;
    qreal m_footerMm = 0;
    int m_columns = 1;
    qreal m_columnWidthMm = 0;
    qreal m_bodyTopMm = 0;

    bool m_open = false;
    int m_column = 0;
    bool m_columnUsed = false;
    qreal m_yMm = 0;
    qreal m_rowMm = 0;
    PreparedPage m_current;

    std::unordered_map<const ReportObject*, Expression> m_expressions;
    std::unordered_map<const ReportObject*, QImage> m_images;
};

} // namespace

qsizetype countPages(const Report& report, const DataLinks& links, ErrorList& errors)
{
    return Layout(report, links, errors, PrepareOptions()).run(nullptr, 0);
}

qsizetype preparePages(const Report& report, const DataLinks& links, ErrorList& errors, const PageSink& sink,
                       const PrepareOptions& options)
{
    Q_ASSERT(sink);
    Layout layout(report, links, errors, options);
    const qsizetype total = layout.run(nullptr, 0);
    if (total == 0) {
        return 0;
    }
    return layout.run(&sink, total);
}

PreparedReport prepare(const Report& report, const DataLinks& links, ErrorList& errors,
                       const PrepareOptions& options)
{
    PreparedReport prepared;
    preparePages(
        report, links, errors,
        [&prepared](const PreparedPage& page, qsizetype, qsizetype) {
            prepared.pages.append(page);
            return true;
        },
        options);
    return prepared;
}

} // namespace lbl::report
