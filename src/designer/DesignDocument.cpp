// The designer's editing model: selection, clipboard, edits and their undo snapshots.
#include "designer/DesignDocument.h"

#include <QPageSize>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

namespace lbl::designer {

using report::Band;
using report::BandType;
using report::Page;
using report::PaperSize;
using report::Report;
using report::ReportObject;

namespace {

constexpr qreal kPaperToleranceMm = 0.5;
constexpr qreal kPasteOffsetMm = 2;
constexpr qreal kMinBandHeightMm = 1;

QString prefixFor(const report::ObjectContent& content)
{
    switch (content.index()) {
    case 0:
        return QStringLiteral("Memo");
    case 1:
        return QStringLiteral("Barcode");
    case 2:
        return QStringLiteral("Line");
    case 3:
        return QStringLiteral("Rect");
    default:
        return QStringLiteral("Picture");
    }
}

QString bandPrefix(BandType type)
{
    switch (type) {
    case BandType::PageHeader:
        return QStringLiteral("PageHeader");
    case BandType::PageFooter:
        return QStringLiteral("PageFooter");
    case BandType::MasterData:
        break;
    }
    return QStringLiteral("MasterData");
}

bool sameSize(QSizeF a, QSizeF b)
{
    return std::abs(a.width() - b.width()) < kPaperToleranceMm
           && std::abs(a.height() - b.height()) < kPaperToleranceMm;
}

} // namespace

report::Page blankPage(QSizeF paperMm)
{
    Page page;
    page.name = QStringLiteral("Page1");
    PaperSize paper = PaperSize::A4;
    if (!paperMm.isEmpty()) {
        paper = PaperSize::Custom;
        for (PaperSize named : {PaperSize::A4, PaperSize::A5, PaperSize::A6, PaperSize::Letter}) {
            if (sameSize(report::paperSizeMm(named), paperMm)) {
                paper = named;
            }
        }
    }
    page.setPaper(paper, report::Orientation::Portrait, paperMm);
    page.margins = {DesignDefaults::kMarginMm, DesignDefaults::kMarginMm, DesignDefaults::kMarginMm,
                    DesignDefaults::kMarginMm};
    Band band;
    band.type = BandType::MasterData;
    band.name = QStringLiteral("MasterData1");
    band.dataSet = report::defaultDataSetAlias;
    band.topMm = page.margins.topMm;
    band.heightMm = DesignDefaults::kBandHeightMm;
    page.bands.append(band);
    return page;
}

QSizeF defaultPrinterPaperMm()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull()) {
        return {};
    }
    const QPageSize size = printer.defaultPageSize();
    return size.isValid() ? size.size(QPageSize::Millimeter) : QSizeF();
}

DesignDocument::DesignDocument(report::Report& report, QObject* parent)
    : QObject(parent)
    , m_report(report)
    , m_saved(withoutFileName(report))
{
}

void DesignDocument::ensurePage(QSizeF paperMm)
{
    if (!m_report.pages.isEmpty()) {
        return;
    }
    m_report.pages.append(blankPage(paperMm));
    if (!m_report.dataSets.contains(report::defaultDataSetAlias)) {
        m_report.dataSets.append(report::defaultDataSetAlias);
    }
    m_page = 0;
    m_currentBand = 0;
    markSaved();
    emit changed();
}

void DesignDocument::setPageIndex(qsizetype index)
{
    if (index < 0 || index >= m_report.pages.size() || index == m_page) {
        return;
    }
    m_page = index;
    m_currentBand = 0;
    clearSelection();
    emit changed();
}

report::Page& DesignDocument::page()
{
    Q_ASSERT(!m_report.pages.isEmpty());
    return m_report.pages[std::clamp<qsizetype>(m_page, 0, m_report.pages.size() - 1)];
}

const report::Page& DesignDocument::page() const
{
    Q_ASSERT(!m_report.pages.isEmpty());
    return m_report.pages[std::clamp<qsizetype>(m_page, 0, m_report.pages.size() - 1)];
}

ReportObject* DesignDocument::object(const ObjectRef& ref)
{
    if (m_report.pages.isEmpty() || ref.band < 0 || ref.band >= page().bands.size()) {
        return nullptr;
    }
    auto& objects = page().bands[ref.band].objects;
    return ref.object >= 0 && ref.object < objects.size() ? &objects[ref.object] : nullptr;
}

const ReportObject* DesignDocument::object(const ObjectRef& ref) const
{
    return const_cast<DesignDocument*>(this)->object(ref);
}

QRectF DesignDocument::bandRectMm(qsizetype band) const
{
    if (m_report.pages.isEmpty() || band < 0 || band >= page().bands.size()) {
        return {};
    }
    const Page& p = page();
    const int columns = std::max(1, p.columns.count);
    const qreal usable = p.widthMm - p.margins.leftMm - p.margins.rightMm;
    const qreal width = (usable - p.columns.gapMm * (columns - 1)) / columns;
    const Band& b = p.bands[band];
    return QRectF(p.margins.leftMm, b.topMm, std::max<qreal>(width, 1), b.heightMm);
}

QRectF DesignDocument::objectPageRectMm(const ObjectRef& ref) const
{
    const ReportObject* o = object(ref);
    return o == nullptr ? QRectF() : o->boxMm.translated(bandRectMm(ref.band).topLeft());
}

void DesignDocument::setSelection(const QVector<ObjectRef>& refs)
{
    QVector<ObjectRef> valid;
    for (const ObjectRef& r : refs) {
        if (object(r) != nullptr && !valid.contains(r)) {
            valid.append(r);
        }
    }
    if (valid == m_selection) {
        return;
    }
    m_selection = valid;
    if (!m_selection.isEmpty()) {
        m_currentBand = m_selection.first().band;
    }
    emit selectionChanged();
}

qsizetype DesignDocument::currentBand() const
{
    if (!m_selection.isEmpty()) {
        return m_selection.first().band;
    }
    if (m_report.pages.isEmpty() || page().bands.isEmpty()) {
        return -1;
    }
    return std::clamp<qsizetype>(m_currentBand, 0, page().bands.size() - 1);
}

void DesignDocument::setCurrentBand(qsizetype band)
{
    m_currentBand = band;
}

void DesignDocument::pushUndo(const report::Report& before)
{
    m_undo.append(before);
    while (m_undo.size() > kUndoLimit) {
        m_undo.removeFirst();
    }
    m_redo.clear();
}

void DesignDocument::restore(const report::Report& state)
{
    const QString fileName = m_report.fileName;
    m_report = state;
    m_report.fileName = fileName;
    if (m_page >= m_report.pages.size()) {
        m_page = std::max<qsizetype>(0, m_report.pages.size() - 1);
    }
    pruneSelection();
}

void DesignDocument::pruneSelection()
{
    QVector<ObjectRef> valid;
    for (const ObjectRef& r : m_selection) {
        if (object(r) != nullptr) {
            valid.append(r);
        }
    }
    if (valid != m_selection) {
        m_selection = valid;
        emit selectionChanged();
    }
}

report::Report DesignDocument::withoutFileName(const report::Report& report) const
{
    Report copy = report;
    copy.fileName.clear();
    return copy;
}

void DesignDocument::undo()
{
    if (m_undo.isEmpty()) {
        return;
    }
    m_redo.append(m_report);
    restore(m_undo.takeLast());
    m_lastKey.clear();
    emit changed();
}

void DesignDocument::redo()
{
    if (m_redo.isEmpty()) {
        return;
    }
    m_undo.append(m_report);
    restore(m_redo.takeLast());
    m_lastKey.clear();
    emit changed();
}

void DesignDocument::beginEdit()
{
    if (m_editing) {
        return;
    }
    m_editing = true;
    m_editStart = m_report;
}

void DesignDocument::endEdit()
{
    if (!m_editing) {
        return;
    }
    m_editing = false;
    m_lastKey.clear();
    if (!(m_report == m_editStart)) {
        pushUndo(m_editStart);
        emit changed();
    }
    m_editStart = Report();
}

void DesignDocument::resetHistory()
{
    m_undo.clear();
    m_redo.clear();
    m_lastKey.clear();
    m_editing = false;
    m_page = std::clamp<qsizetype>(m_page, 0, std::max<qsizetype>(0, m_report.pages.size() - 1));
    m_selection.clear();
    emit selectionChanged();
    emit changed();
}

bool DesignDocument::isModified() const
{
    return !(withoutFileName(m_report) == m_saved);
}

void DesignDocument::markSaved()
{
    m_saved = withoutFileName(m_report);
}

void DesignDocument::touch()
{
    emit changed();
}

void DesignDocument::editReport(const std::function<void(report::Report&)>& change, const QString& key)
{
    if (m_editing) {
        change(m_report);
        pruneSelection();
        emit changed();
        return;
    }
    const bool merge = !key.isEmpty() && key == m_lastKey && canUndo();
    const Report before = m_report;
    change(m_report);
    if (m_report == before) {
        return;
    }
    if (!merge) {
        pushUndo(before);
    }
    m_redo.clear();
    m_lastKey = key;
    pruneSelection();
    emit changed();
}

void DesignDocument::editSelected(const std::function<void(report::ReportObject&)>& change,
                                  const QString& key)
{
    if (m_selection.isEmpty()) {
        return;
    }
    const QVector<ObjectRef> refs = m_selection;
    editReport(
        [&](Report&) {
            for (const ObjectRef& r : refs) {
                if (ReportObject* o = object(r)) {
                    change(*o);
                }
            }
        },
        key);
}

QString DesignDocument::uniqueName(const QString& prefix) const
{
    QStringList used;
    for (const Page& p : m_report.pages) {
        for (const Band& b : p.bands) {
            used.append(b.name);
            for (const ReportObject& o : b.objects) {
                used.append(o.name);
            }
        }
    }
    for (int n = 1;; ++n) {
        QString name = prefix + QString::number(n);
        if (!used.contains(name, Qt::CaseInsensitive)) {
            return name;
        }
    }
}

report::ReportObject DesignDocument::defaultObject(const report::ObjectContent& content, QPointF posMm,
                                                   QSizeF sizeMm)
{
    static const QSizeF sizes[] = {{30, 6}, {40, 15}, {30, 0}, {20, 10}, {20, 20}};
    ReportObject o;
    o.content = content;
    if (auto* barcode = std::get_if<report::BarcodeObject>(&o.content)) {
        if (barcode->style.textFont == report::BarcodeStyle::defaultTextFont()) {
            QFont font(QStringLiteral("Arial"));
            font.setPixelSize(DesignDefaults::kFontPx);
            barcode->style.textFont = font;
        }
    }
    const QSizeF size = sizeMm.isValid() && (sizeMm.width() > 0 || sizeMm.height() > 0)
                            ? sizeMm
                            : sizes[std::min<std::size_t>(content.index(), 4)];
    o.boxMm = QRectF(posMm, size);
    return o;
}

ObjectRef DesignDocument::addObject(qsizetype band, report::ReportObject newObject)
{
    if (m_report.pages.isEmpty() || band < 0 || band >= page().bands.size()) {
        return {};
    }
    if (newObject.name.isEmpty()) {
        newObject.name = uniqueName(prefixFor(newObject.content));
    }
    ObjectRef ref{band, page().bands[band].objects.size()};
    editReport([&](Report&) { page().bands[band].objects.append(newObject); });
    setSelection({ref});
    return ref;
}

void DesignDocument::moveSelection(QPointF deltaMm)
{
    editSelected([deltaMm](ReportObject& o) { o.boxMm.translate(deltaMm); });
}

void DesignDocument::setObjectBox(const ObjectRef& ref, const QRectF& boxMm)
{
    editReport([&](Report&) {
        if (ReportObject* o = object(ref)) {
            o->boxMm = boxMm;
        }
    });
}

void DesignDocument::deleteSelection()
{
    if (m_selection.isEmpty()) {
        return;
    }
    QVector<ObjectRef> refs = m_selection;
    std::sort(refs.begin(), refs.end());
    m_selection.clear();
    editReport([&](Report&) {
        for (auto it = refs.crbegin(); it != refs.crend(); ++it) {
            page().bands[it->band].objects.removeAt(it->object);
        }
    });
    emit selectionChanged();
}

void DesignDocument::copySelection()
{
    if (m_selection.isEmpty()) {
        return;
    }
    QVector<ObjectRef> refs = m_selection;
    std::sort(refs.begin(), refs.end());
    m_clipboard.clear();
    for (const ObjectRef& r : refs) {
        m_clipboard.append(*object(r));
    }
}

void DesignDocument::cutSelection()
{
    copySelection();
    deleteSelection();
}

void DesignDocument::paste(qsizetype band)
{
    if (band < 0) {
        band = currentBand();
    }
    if (m_clipboard.isEmpty() || m_report.pages.isEmpty() || band < 0 || band >= page().bands.size()) {
        return;
    }
    const QRectF bandRect = bandRectMm(band);
    QVector<ReportObject> copies = m_clipboard;
    QRectF bounds;
    for (const ReportObject& o : copies) {
        bounds = bounds.isNull() ? o.boxMm : bounds.united(o.boxMm);
    }
    // Pasting where the originals are would hide the copies under them.
    QPointF shift(kPasteOffsetMm, kPasteOffsetMm);
    shift.setX(std::clamp(shift.x(), -bounds.left(), std::max(0.0, bandRect.width() - bounds.right())));
    shift.setY(std::clamp(shift.y(), -bounds.top(), std::max(0.0, bandRect.height() - bounds.bottom())));
    QVector<ObjectRef> refs;
    const qsizetype first = page().bands[band].objects.size();
    editReport([&](Report&) {
        for (ReportObject o : copies) {
            o.name = uniqueName(prefixFor(o.content));
            o.boxMm.translate(shift);
            refs.append({band, first + refs.size()});
            page().bands[band].objects.append(o);
        }
    });
    setSelection(refs);
}

void DesignDocument::align(Alignment how)
{
    if (m_selection.size() < 2) {
        return;
    }
    const QRectF anchor = objectPageRectMm(m_selection.first());
    const QVector<ObjectRef> refs = m_selection;
    editReport([&](Report&) {
        for (const ObjectRef& r : refs) {
            const QRectF rect = objectPageRectMm(r);
            QPointF delta;
            switch (how) {
            case Alignment::Left:
                delta.setX(anchor.left() - rect.left());
                break;
            case Alignment::Right:
                delta.setX(anchor.right() - rect.right());
                break;
            case Alignment::Top:
                delta.setY(anchor.top() - rect.top());
                break;
            case Alignment::Bottom:
                delta.setY(anchor.bottom() - rect.bottom());
                break;
            case Alignment::HCentre:
                delta.setX(anchor.center().x() - rect.center().x());
                break;
            case Alignment::VCentre:
                delta.setY(anchor.center().y() - rect.center().y());
                break;
            }
            object(r)->boxMm.translate(delta);
        }
    });
}

void DesignDocument::distribute(Qt::Orientation orientation)
{
    if (m_selection.size() < 3) {
        return;
    }
    const bool horizontal = orientation == Qt::Horizontal;
    QVector<ObjectRef> refs = m_selection;
    auto start = [&](const ObjectRef& r) {
        const QRectF rect = objectPageRectMm(r);
        return horizontal ? rect.left() : rect.top();
    };
    auto extent = [&](const ObjectRef& r) {
        const QRectF rect = objectPageRectMm(r);
        return horizontal ? rect.width() : rect.height();
    };
    std::stable_sort(refs.begin(), refs.end(),
                     [&](const ObjectRef& a, const ObjectRef& b) { return start(a) < start(b); });
    qreal total = 0;
    for (const ObjectRef& r : refs) {
        total += extent(r);
    }
    const qreal from = start(refs.first());
    const qreal to = start(refs.last()) + extent(refs.last());
    const qreal gap = (to - from - total) / static_cast<qreal>(refs.size() - 1);
    editReport([&](Report&) {
        qreal pos = from;
        for (const ObjectRef& r : refs) {
            const qreal delta = pos - start(r);
            object(r)->boxMm.translate(horizontal ? QPointF(delta, 0) : QPointF(0, delta));
            pos += extent(r) + gap;
        }
    });
}

void DesignDocument::bringToFront()
{
    if (m_selection.isEmpty()) {
        return;
    }
    QVector<ObjectRef> refs = m_selection;
    std::sort(refs.begin(), refs.end());
    QVector<ObjectRef> moved;
    editReport([&](Report&) {
        for (qsizetype band = 0; band < page().bands.size(); ++band) {
            auto& objects = page().bands[band].objects;
            QVector<ReportObject> kept;
            QVector<ReportObject> front;
            for (qsizetype i = 0; i < objects.size(); ++i) {
                (refs.contains(ObjectRef{band, i}) ? front : kept).append(objects[i]);
            }
            for (qsizetype i = 0; i < front.size(); ++i) {
                moved.append({band, kept.size() + i});
            }
            objects = kept + front;
        }
    });
    m_selection = moved;
    emit selectionChanged();
}

void DesignDocument::sendToBack()
{
    if (m_selection.isEmpty()) {
        return;
    }
    QVector<ObjectRef> refs = m_selection;
    QVector<ObjectRef> moved;
    editReport([&](Report&) {
        for (qsizetype band = 0; band < page().bands.size(); ++band) {
            auto& objects = page().bands[band].objects;
            QVector<ReportObject> back;
            QVector<ReportObject> kept;
            for (qsizetype i = 0; i < objects.size(); ++i) {
                (refs.contains(ObjectRef{band, i}) ? back : kept).append(objects[i]);
            }
            for (qsizetype i = 0; i < back.size(); ++i) {
                moved.append({band, i});
            }
            objects = back + kept;
        }
    });
    m_selection = moved;
    emit selectionChanged();
}

qsizetype DesignDocument::addBand(report::BandType type)
{
    if (m_report.pages.isEmpty()) {
        return -1;
    }
    Band band;
    band.type = type;
    band.name = uniqueName(bandPrefix(type));
    band.heightMm =
        type == BandType::MasterData ? DesignDefaults::kBandHeightMm : DesignDefaults::kBandHeightMm / 3;
    if (type == BandType::MasterData) {
        band.dataSet = report::defaultDataSetAlias;
    }
    qsizetype index = -1;
    editReport([&](Report& r) {
        Page& p = page();
        if (type == BandType::PageHeader) {
            band.topMm = p.margins.topMm;
            for (Band& other : p.bands) {
                other.topMm += band.heightMm;
            }
            p.bands.prepend(band);
            index = 0;
            m_selection.clear();
        } else {
            qreal bottom = p.margins.topMm;
            for (const Band& other : p.bands) {
                bottom = std::max(bottom, other.topMm + other.heightMm);
            }
            band.topMm = bottom;
            p.bands.append(band);
            index = p.bands.size() - 1;
        }
        if (!band.dataSet.isEmpty() && !r.dataSets.contains(band.dataSet)) {
            r.dataSets.append(band.dataSet);
        }
    });
    emit selectionChanged();
    m_currentBand = index;
    return index;
}

void DesignDocument::removeBand(qsizetype band)
{
    if (m_report.pages.isEmpty() || band < 0 || band >= page().bands.size()) {
        return;
    }
    m_selection.clear();
    editReport([&](Report&) { page().bands.removeAt(band); });
    emit selectionChanged();
    m_currentBand = 0;
}

void DesignDocument::setBandHeight(qsizetype band, qreal heightMm)
{
    if (m_report.pages.isEmpty() || band < 0 || band >= page().bands.size()) {
        return;
    }
    heightMm = std::max(kMinBandHeightMm, heightMm);
    editReport([&](Report&) {
        Page& p = page();
        const qreal oldBottom = p.bands[band].topMm + p.bands[band].heightMm;
        const qreal delta = heightMm - p.bands[band].heightMm;
        p.bands[band].heightMm = heightMm;
        for (qsizetype i = 0; i < p.bands.size(); ++i) {
            if (i != band && p.bands[i].topMm >= oldBottom - 1e-6) {
                p.bands[i].topMm += delta;
            }
        }
    });
}

void DesignDocument::setPageSetup(const report::Page& setup)
{
    editReport([&](Report&) {
        Page& p = page();
        p.paper = setup.paper;
        p.orientation = setup.orientation;
        p.widthMm = setup.widthMm;
        p.heightMm = setup.heightMm;
        p.margins = setup.margins;
        p.columns = setup.columns;
        p.growsWithContent = setup.growsWithContent;
    });
}

} // namespace lbl::designer
