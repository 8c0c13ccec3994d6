// The template designer window: menus, toolbars, panels, file commands and the preview tab.
#include "designer/Designer.h"

#include "designer/DataPanel.h"
#include "designer/DesignCanvas.h"
#include "designer/Icons.h"
#include "designer/PageSetupDialog.h"
#include "designer/PagesView.h"
#include "designer/PropertyPanel.h"

#include <QActionGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QScrollArea>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <exception>

namespace lbl::designer {

namespace {

const QString kExtension = QStringLiteral("lbt");
constexpr int kDefaultWidthPx = 1180;
constexpr int kDefaultHeightPx = 760;

QString templateFilter()
{
    return QObject::tr("Label templates (*.lbt);;All files (*)");
}

QSettings designerSettings()
{
    return QSettings(QStringLiteral("labelprint"), QStringLiteral("engine"));
}

} // namespace

QString Designer::boxTitle()
{
    // The program sets no title of its own: its file name up to the first dot, capitalised.
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    name = name.left(name.indexOf(QLatin1Char('.')) < 0 ? name.size() : name.indexOf(QLatin1Char('.')));
    return name.isEmpty() ? name : name.left(1) + name.mid(1).toLower();
}

Designer::Designer(report::Report& report, report::DataLinks links, preview::MessageBoxes& boxes,
                   FileDialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_report(report)
    , m_links(std::move(links))
    , m_boxes(boxes)
    , m_dialogs(dialogs)
{
    setModal(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    QFont uiFont = font();
    uiFont.setFamilies(
        {uiFont.family(), QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    setFont(uiFont);

    m_doc = new DesignDocument(m_report, this);
    m_doc->ensurePage(defaultPrinterPaperMm());
    if (const report::DataLink* link = m_links.find(report::defaultDataSetAlias)) {
        if (const data::RecordSet* set = link->recordSet(); set != nullptr && set->isActive()) {
            m_startRecord = set->recNo();
        }
    }
    buildUi();
    loadState();
    connect(m_doc, &DesignDocument::changed, this, &Designer::updateActions);
    connect(m_doc, &DesignDocument::selectionChanged, this, &Designer::updateActions);
    updateActions();
    updateRecordLabel();
}

Designer::~Designer()
{
    // The record set is the program's own: leave its cursor where the designer found it.
    if (m_startRecord >= 0) {
        if (const report::DataLink* link = m_links.find(report::defaultDataSetAlias)) {
            if (data::RecordSet* set = link->recordSet(); set != nullptr && set->isActive()) {
                set->moveTo(m_startRecord);
            }
        }
    }
}

void Designer::setPagesHandler(std::function<void(const report::PreparedReport&)> handler)
{
    m_pagesHandler = std::move(handler);
}

void Designer::setErrorsHandler(std::function<void(const report::ErrorList&)> handler)
{
    m_errorsHandler = std::move(handler);
}

void Designer::guarded(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        m_boxes.showError(boxTitle(), QString::fromUtf8(e.what()));
    }
}

QAction* Designer::addAction(QMenu* menu, const QString& text, const QIcon& icon, const QKeySequence& key,
                             const std::function<void()>& slot)
{
    auto* action = new QAction(icon, text, this);
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setToolTip(QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
    }
    connect(action, &QAction::triggered, this, [this, slot] { guarded(slot); });
    if (menu != nullptr) {
        menu->addAction(action);
    }
    return action;
}

void Designer::buildUi()
{
    m_main = new QMainWindow(this);
    // QMainWindow always makes itself a window; here it is a plain child of the dialog.
    m_main->setWindowFlags(Qt::Widget);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_main);

    m_canvas = new DesignCanvas(*m_doc, m_links);
    m_canvas->setImageLoader([this] { return loadImage(); });
    auto* canvasScroll = new QScrollArea;
    canvasScroll->setWidget(m_canvas);
    canvasScroll->setWidgetResizable(true);
    canvasScroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    canvasScroll->setFrameShape(QFrame::NoFrame);

    m_pages = new PagesView;
    auto* pagesScroll = new QScrollArea;
    pagesScroll->setWidget(m_pages);
    pagesScroll->setWidgetResizable(true);
    pagesScroll->setFrameShape(QFrame::NoFrame);

    m_tabs = new QTabWidget;
    m_tabs->setDocumentMode(true);
    m_tabs->addTab(canvasScroll, designerIcon(IconKind::PageSetup), tr("Design"));
    m_tabs->addTab(pagesScroll, designerIcon(IconKind::Preview), tr("Preview"));
    m_main->setCentralWidget(m_tabs);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 1) {
            guarded([this] { showPreview(); });
        }
    });

    m_properties = new PropertyPanel(*m_doc);
    m_properties->setImageLoader([this] { return loadImage(); });
    auto* propertyDock = new QDockWidget(tr("Properties"), m_main);
    propertyDock->setObjectName(QStringLiteral("properties"));
    auto* propertyScroll = new QScrollArea;
    propertyScroll->setWidget(m_properties);
    propertyScroll->setWidgetResizable(true);
    propertyScroll->setMinimumWidth(300);
    propertyScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    propertyDock->setWidget(propertyScroll);
    propertyDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_main->addDockWidget(Qt::RightDockWidgetArea, propertyDock);

    m_data = new DataPanel(m_links);
    auto* dataDock = new QDockWidget(tr("Data fields"), m_main);
    dataDock->setObjectName(QStringLiteral("data"));
    dataDock->setWidget(m_data);
    m_data->setMinimumWidth(150);
    dataDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_main->addDockWidget(Qt::LeftDockWidgetArea, dataDock);

    m_position = new QLabel;
    m_position->setMinimumWidth(170);
    m_record = new QLabel;
    m_selectionInfo = new QLabel;
    m_main->statusBar()->addWidget(m_selectionInfo, 1);
    m_main->statusBar()->addPermanentWidget(m_record);
    m_main->statusBar()->addPermanentWidget(m_position);
    connect(m_canvas, &DesignCanvas::cursorMoved, this, [this](QPointF mm) {
        m_position->setText(tr("X %1 mm   Y %2 mm").arg(mm.x(), 0, 'f', 1).arg(mm.y(), 0, 'f', 1));
    });

    buildActions();
    resize(kDefaultWidthPx, kDefaultHeightPx);
}

void Designer::buildActions()
{
    QStyle* st = style();
    QMenu* file = m_main->menuBar()->addMenu(tr("&File"));
    QMenu* edit = m_main->menuBar()->addMenu(tr("&Edit"));
    QMenu* insert = m_main->menuBar()->addMenu(tr("&Insert"));
    QMenu* arrange = m_main->menuBar()->addMenu(tr("&Arrange"));
    QMenu* view = m_main->menuBar()->addMenu(tr("&View"));

    QToolBar* fileBar = m_main->addToolBar(tr("File"));
    fileBar->setObjectName(QStringLiteral("fileBar"));
    fileBar->addAction(addAction(file, tr("&New"), st->standardIcon(QStyle::SP_FileIcon), QKeySequence::New,
                                 [this] { newReport(); }));
    fileBar->addAction(addAction(file, tr("&Open…"), st->standardIcon(QStyle::SP_DialogOpenButton),
                                 QKeySequence::Open, [this] { openReport(); }));
    fileBar->addAction(addAction(file, tr("&Save"), st->standardIcon(QStyle::SP_DialogSaveButton),
                                 QKeySequence::Save, [this] { save(); }));
    addAction(file, tr("Save &As…"), QIcon(), QKeySequence::SaveAs, [this] { saveAs(); });
    file->addSeparator();
    addAction(file, tr("Page &setup…"), designerIcon(IconKind::PageSetup), QKeySequence(),
              [this] { editPageSetup(); });
    fileBar->addAction(
        addAction(file, tr("&Preview"), designerIcon(IconKind::Preview), QKeySequence(Qt::Key_F5), [this] {
            m_tabs->setCurrentIndex(1);
            showPreview();
        }));
    file->addSeparator();
    addAction(file, tr("&Close"), st->standardIcon(QStyle::SP_DialogCloseButton),
              QKeySequence(Qt::CTRL | Qt::Key_W), [this] { reject(); });

    fileBar->addSeparator();
    m_undo = addAction(edit, tr("&Undo"), st->standardIcon(QStyle::SP_ArrowBack), QKeySequence::Undo,
                       [this] { m_doc->undo(); });
    m_redo = addAction(edit, tr("&Redo"), st->standardIcon(QStyle::SP_ArrowForward), QKeySequence::Redo,
                       [this] { m_doc->redo(); });
    fileBar->addAction(m_undo);
    fileBar->addAction(m_redo);
    edit->addSeparator();
    m_needSelection.append(
        addAction(edit, tr("Cu&t"), QIcon(), QKeySequence::Cut, [this] { m_doc->cutSelection(); }));
    m_needSelection.append(
        addAction(edit, tr("&Copy"), QIcon(), QKeySequence::Copy, [this] { m_doc->copySelection(); }));
    m_paste = addAction(edit, tr("&Paste"), QIcon(), QKeySequence::Paste, [this] { m_doc->paste(); });
    m_needSelection.append(addAction(edit, tr("&Delete"), st->standardIcon(QStyle::SP_TrashIcon),
                                     QKeySequence(), [this] { m_doc->deleteSelection(); }));
    edit->addSeparator();
    addAction(edit, tr("Select &all in band"), QIcon(), QKeySequence::SelectAll, [this] {
        const qsizetype band = m_doc->currentBand();
        if (band < 0) {
            return;
        }
        QVector<ObjectRef> all;
        for (qsizetype i = 0; i < m_doc->page().bands[band].objects.size(); ++i) {
            all.append({band, i});
        }
        m_doc->setSelection(all);
    });

    QToolBar* toolBar = m_main->addToolBar(tr("Objects"));
    toolBar->setObjectName(QStringLiteral("toolBar"));
    auto* tools = new QActionGroup(this);
    struct ToolDef
    {
        Tool tool;
        IconKind icon;
        QString text;
    };
    const ToolDef defs[] = {
        {Tool::Select, IconKind::Select, tr("Select")},    {Tool::Text, IconKind::Text, tr("Text")},
        {Tool::Barcode, IconKind::Barcode, tr("Barcode")}, {Tool::Line, IconKind::Line, tr("Line")},
        {Tool::Rect, IconKind::Rect, tr("Rectangle")},     {Tool::Picture, IconKind::Picture, tr("Picture")}};
    for (const ToolDef& def : defs) {
        QAction* a = addAction(insert, def.text, designerIcon(def.icon), QKeySequence(),
                               [this, tool = def.tool] { m_canvas->setTool(tool); });
        a->setCheckable(true);
        a->setChecked(def.tool == Tool::Select);
        tools->addAction(a);
        toolBar->addAction(a);
        m_toolActions.append(a);
    }
    connect(m_canvas, &DesignCanvas::toolChanged, this,
            [this](Tool tool) { m_toolActions[int(tool)]->setChecked(true); });
    insert->addSeparator();
    addAction(insert, tr("Master data band"), designerIcon(IconKind::Band), QKeySequence(),
              [this] { m_doc->addBand(report::BandType::MasterData); });
    addAction(insert, tr("Page header band"), designerIcon(IconKind::Band), QKeySequence(),
              [this] { m_doc->addBand(report::BandType::PageHeader); });
    addAction(insert, tr("Page footer band"), designerIcon(IconKind::Band), QKeySequence(),
              [this] { m_doc->addBand(report::BandType::PageFooter); });
    addAction(insert, tr("Remove current band"), QIcon(), QKeySequence(),
              [this] { m_doc->removeBand(m_doc->currentBand()); });

    QToolBar* arrangeBar = m_main->addToolBar(tr("Arrange"));
    arrangeBar->setObjectName(QStringLiteral("arrangeBar"));
    struct AlignDef
    {
        Alignment how;
        IconKind icon;
        QString text;
    };
    const AlignDef aligns[] = {{Alignment::Left, IconKind::AlignLeft, tr("Align left edges")},
                               {Alignment::HCentre, IconKind::AlignHCentre, tr("Align horizontal centres")},
                               {Alignment::Right, IconKind::AlignRight, tr("Align right edges")},
                               {Alignment::Top, IconKind::AlignTop, tr("Align top edges")},
                               {Alignment::VCentre, IconKind::AlignVCentre, tr("Align vertical centres")},
                               {Alignment::Bottom, IconKind::AlignBottom, tr("Align bottom edges")}};
    for (const AlignDef& def : aligns) {
        QAction* a = addAction(arrange, def.text, designerIcon(def.icon), QKeySequence(),
                               [this, how = def.how] { m_doc->align(how); });
        arrangeBar->addAction(a);
        m_needSeveral.append(a);
    }
    arrange->addSeparator();
    arrangeBar->addSeparator();
    QAction* dh = addAction(arrange, tr("Distribute horizontally"), designerIcon(IconKind::DistributeH),
                            QKeySequence(), [this] { m_doc->distribute(Qt::Horizontal); });
    QAction* dv = addAction(arrange, tr("Distribute vertically"), designerIcon(IconKind::DistributeV),
                            QKeySequence(), [this] { m_doc->distribute(Qt::Vertical); });
    arrangeBar->addAction(dh);
    arrangeBar->addAction(dv);
    m_needSeveral.append({dh, dv});
    arrange->addSeparator();
    arrangeBar->addSeparator();
    QAction* front =
        addAction(arrange, tr("Bring to front"), designerIcon(IconKind::Front),
                  QKeySequence(Qt::CTRL | Qt::Key_BracketRight), [this] { m_doc->bringToFront(); });
    QAction* back = addAction(arrange, tr("Send to back"), designerIcon(IconKind::Back),
                              QKeySequence(Qt::CTRL | Qt::Key_BracketLeft), [this] { m_doc->sendToBack(); });
    arrangeBar->addAction(front);
    arrangeBar->addAction(back);
    m_needSelection.append({front, back});

    arrangeBar->addSeparator();
    QAction* grid = addAction(view, tr("Show grid"), designerIcon(IconKind::Grid), QKeySequence(),
                              [this] { m_canvas->setShowGrid(!m_canvas->showGrid()); });
    grid->setCheckable(true);
    grid->setChecked(m_canvas->showGrid());
    QAction* snap = addAction(view, tr("Snap to grid"), designerIcon(IconKind::Snap), QKeySequence(),
                              [this] { m_canvas->setSnap(!m_canvas->snap()); });
    snap->setCheckable(true);
    snap->setChecked(m_canvas->snap());
    snap->setObjectName(QStringLiteral("snap"));
    grid->setObjectName(QStringLiteral("grid"));
    arrangeBar->addAction(grid);
    arrangeBar->addAction(snap);
    auto* step = new QDoubleSpinBox;
    step->setObjectName(QStringLiteral("gridStep"));
    step->setRange(0.1, 20);
    step->setSingleStep(0.5);
    step->setDecimals(1);
    step->setSuffix(tr(" mm"));
    step->setValue(m_canvas->gridStepMm());
    step->setToolTip(tr("Grid step"));
    connect(step, &QDoubleSpinBox::valueChanged, m_canvas, &DesignCanvas::setGridStep);
    arrangeBar->addWidget(step);

    m_main->addToolBarBreak();
    QToolBar* dataBar = m_main->addToolBar(tr("Data and zoom"));
    dataBar->setObjectName(QStringLiteral("dataBar"));
    auto recordSet = [this]() -> data::RecordSet* {
        const report::DataLink* link = m_links.find(report::defaultDataSetAlias);
        data::RecordSet* set = link != nullptr ? link->recordSet() : nullptr;
        return set != nullptr && set->isActive() ? set : nullptr;
    };
    dataBar->addAction(addAction(view, tr("First record"), st->standardIcon(QStyle::SP_MediaSkipBackward),
                                 QKeySequence(), [this] { moveRecord(0); }));
    dataBar->addAction(addAction(view, tr("Previous record"), st->standardIcon(QStyle::SP_MediaSeekBackward),
                                 QKeySequence(Qt::CTRL | Qt::Key_PageUp), [this, recordSet] {
                                     if (data::RecordSet* set = recordSet()) {
                                         moveRecord(set->recNo() - 1);
                                     }
                                 }));
    dataBar->addWidget(m_record);
    dataBar->addAction(addAction(view, tr("Next record"), st->standardIcon(QStyle::SP_MediaSeekForward),
                                 QKeySequence(Qt::CTRL | Qt::Key_PageDown), [this, recordSet] {
                                     if (data::RecordSet* set = recordSet()) {
                                         moveRecord(set->recNo() + 1);
                                     }
                                 }));
    dataBar->addAction(addAction(view, tr("Last record"), st->standardIcon(QStyle::SP_MediaSkipForward),
                                 QKeySequence(), [this, recordSet] {
                                     if (data::RecordSet* set = recordSet()) {
                                         moveRecord(set->recordCount() - 1);
                                     }
                                 }));
    dataBar->addSeparator();
    m_zoom = new QComboBox;
    m_zoom->setEditable(true);
    m_zoom->addItems({tr("Fit"), "50%", "75%", "100%", "150%", "200%", "300%", "400%"});
    m_zoom->setToolTip(tr("Zoom (Ctrl+wheel)"));
    m_zoom->setMinimumContentsLength(5);
    connect(m_zoom, &QComboBox::textActivated, this, &Designer::setZoomText);
    connect(m_canvas, &DesignCanvas::zoomChanged, this, [this](qreal z) {
        m_zoom->setEditText(QStringLiteral("%1%").arg(qRound(z * 100)));
        m_pages->setZoom(z);
    });
    dataBar->addWidget(new QLabel(tr(" Zoom ")));
    dataBar->addWidget(m_zoom);
    m_pageChoice = new QComboBox;
    m_pageChoice->setToolTip(tr("Page of the template"));
    for (qsizetype i = 0; i < m_report.pages.size(); ++i) {
        m_pageChoice->addItem(m_report.pages[i].name.isEmpty() ? tr("Page %1").arg(i + 1)
                                                               : m_report.pages[i].name);
    }
    connect(m_pageChoice, &QComboBox::activated, this, [this](int index) { m_doc->setPageIndex(index); });
    m_pageChoice->setVisible(m_report.pages.size() > 1);
    dataBar->addWidget(m_pageChoice);
}

void Designer::setZoomText(const QString& text)
{
    if (text.compare(tr("Fit"), Qt::CaseInsensitive) == 0) {
        m_fitZoom = true;
        auto* scroll = qobject_cast<QScrollArea*>(m_tabs->widget(0));
        m_canvas->setZoom(m_canvas->fitZoom(scroll != nullptr ? scroll->viewport()->size() : size()));
        return;
    }
    QString digits = text;
    digits.remove(QLatin1Char('%'));
    bool ok = false;
    const double percent = digits.trimmed().toDouble(&ok);
    if (ok && percent > 0) {
        m_fitZoom = false;
        m_canvas->setZoom(percent / 100);
    }
}

void Designer::loadState()
{
    QSettings settings = designerSettings();
    settings.beginGroup(QStringLiteral("Designer"));
    const QByteArray geometry = settings.value(QStringLiteral("geometry")).toByteArray();
    if (!geometry.isEmpty()) {
        restoreGeometry(geometry);
    }
    const QByteArray layout = settings.value(QStringLiteral("layout")).toByteArray();
    if (!layout.isEmpty()) {
        m_main->restoreState(layout);
    }
    m_canvas->setZoom(settings.value(QStringLiteral("zoom"), 2.0).toDouble());
    m_pages->setZoom(m_canvas->zoom());
    m_zoom->setEditText(QStringLiteral("%1%").arg(qRound(m_canvas->zoom() * 100)));
    m_canvas->setSnap(settings.value(QStringLiteral("snap"), true).toBool());
    m_canvas->setShowGrid(settings.value(QStringLiteral("grid"), true).toBool());
    m_canvas->setGridStep(settings.value(QStringLiteral("gridStep"), DesignDefaults::kGridMm).toDouble());
    m_lastFolder = settings.value(QStringLiteral("lastFolder")).toString();
    if (auto* a = m_main->findChild<QAction*>(QStringLiteral("snap"))) {
        a->setChecked(m_canvas->snap());
    }
    if (auto* a = m_main->findChild<QAction*>(QStringLiteral("grid"))) {
        a->setChecked(m_canvas->showGrid());
    }
    if (auto* step = m_main->findChild<QDoubleSpinBox*>(QStringLiteral("gridStep"))) {
        step->setValue(m_canvas->gridStepMm());
    }
}

void Designer::saveState()
{
    QSettings settings = designerSettings();
    settings.beginGroup(QStringLiteral("Designer"));
    settings.setValue(QStringLiteral("geometry"), saveGeometry());
    settings.setValue(QStringLiteral("layout"), m_main->saveState());
    settings.setValue(QStringLiteral("zoom"), m_canvas->zoom());
    settings.setValue(QStringLiteral("snap"), m_canvas->snap());
    settings.setValue(QStringLiteral("grid"), m_canvas->showGrid());
    settings.setValue(QStringLiteral("gridStep"), m_canvas->gridStepMm());
    settings.setValue(QStringLiteral("lastFolder"), m_lastFolder);
}

void Designer::updateActions()
{
    m_undo->setEnabled(m_doc->canUndo());
    m_redo->setEnabled(m_doc->canRedo());
    m_paste->setEnabled(m_doc->canPaste());
    const qsizetype n = m_doc->selection().size();
    for (QAction* a : m_needSelection) {
        a->setEnabled(n > 0);
    }
    for (QAction* a : m_needSeveral) {
        a->setEnabled(n > 1);
    }
    if (n == 0) {
        m_selectionInfo->setText(
            tr("Click an object to select it; drag fields from the data panel onto a band."));
    } else if (n == 1) {
        const report::ReportObject* o = m_doc->object(m_doc->selection().first());
        m_selectionInfo->setText(tr("%1: %2 x %3 mm at %4, %5 mm")
                                     .arg(o->name)
                                     .arg(o->boxMm.width(), 0, 'f', 1)
                                     .arg(o->boxMm.height(), 0, 'f', 1)
                                     .arg(o->boxMm.left(), 0, 'f', 1)
                                     .arg(o->boxMm.top(), 0, 'f', 1));
    } else {
        m_selectionInfo->setText(tr("%1 objects selected").arg(n));
    }
    updateTitle();
}

void Designer::updateTitle()
{
    const QString name =
        m_report.fileName.isEmpty() ? tr("Untitled") : QFileInfo(m_report.fileName).fileName();
    setWindowTitle(
        tr("Label designer - %1%2").arg(name, m_doc->isModified() ? QStringLiteral(" *") : QString()));
}

void Designer::updateRecordLabel()
{
    const report::DataLink* link = m_links.find(report::defaultDataSetAlias);
    const data::RecordSet* set = link != nullptr ? link->recordSet() : nullptr;
    if (set == nullptr || !set->isActive()) {
        m_record->setText(tr(" No data "));
    } else {
        const qsizetype count = set->recordCount();
        m_record->setText(count == 0
                              ? tr(" No records ")
                              : tr(" Record %1 of %2 ").arg(std::min(set->recNo() + 1, count)).arg(count));
    }
}

void Designer::moveRecord(qsizetype index)
{
    const report::DataLink* link = m_links.find(report::defaultDataSetAlias);
    data::RecordSet* set = link != nullptr ? link->recordSet() : nullptr;
    if (set == nullptr || !set->isActive() || set->recordCount() == 0) {
        return;
    }
    set->moveTo(std::clamp<qsizetype>(index, 0, set->recordCount() - 1));
    updateRecordLabel();
    m_canvas->refresh();
}

void Designer::reportErrors(const report::ErrorList& errors)
{
    if (errors.isEmpty()) {
        return;
    }
    if (m_errorsHandler) {
        m_errorsHandler(errors);
    } else {
        m_boxes.showEngineErrors(boxTitle(), errors.lines());
    }
}

QByteArray Designer::loadImage()
{
    const QString path = m_dialogs.openFile(this, tr("Load picture"), m_lastFolder,
                                            tr("Pictures (*.png *.jpg *.jpeg);;All files (*)"));
    if (path.isEmpty()) {
        return {};
    }
    m_lastFolder = QFileInfo(path).absolutePath();
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
    }
    if (QImage::fromData(bytes).isNull()) {
        m_boxes.showError(boxTitle(),
                          tr("\"%1\" is not a PNG or JPEG picture").arg(QDir::toNativeSeparators(path)));
        return {};
    }
    return bytes;
}

bool Designer::newReport()
{
    m_canvas->commitTextEdit();
    if (!confirmClose()) {
        return false;
    }
    m_report.clear();
    m_doc->ensurePage(defaultPrinterPaperMm());
    m_doc->resetHistory();
    m_doc->markSaved();
    m_pageChoice->setVisible(false);
    updateActions();
    return true;
}

bool Designer::openReport()
{
    m_canvas->commitTextEdit();
    if (!confirmClose()) {
        return false;
    }
    const QString path = m_dialogs.openFile(this, tr("Open label template"), m_lastFolder, templateFilter());
    if (path.isEmpty()) {
        return false;
    }
    m_lastFolder = QFileInfo(path).absolutePath();
    // Read into a copy first, so a file that cannot be opened leaves the design as it was.
    report::Report loaded;
    report::ErrorList errors;
    try {
        loaded.loadFromFile(path, errors);
    } catch (const report::TemplateError& e) {
        m_boxes.showError(boxTitle(), QString::fromUtf8(e.what()));
        return false;
    }
    m_report = loaded;
    m_doc->setPageIndex(0);
    m_doc->ensurePage(defaultPrinterPaperMm());
    m_doc->resetHistory();
    m_doc->markSaved();
    m_pageChoice->clear();
    for (qsizetype i = 0; i < m_report.pages.size(); ++i) {
        m_pageChoice->addItem(m_report.pages[i].name.isEmpty() ? tr("Page %1").arg(i + 1)
                                                               : m_report.pages[i].name);
    }
    m_pageChoice->setVisible(m_report.pages.size() > 1);
    updateActions();
    reportErrors(errors);
    return true;
}

bool Designer::save()
{
    m_canvas->commitTextEdit();
    if (m_report.fileName.trimmed().isEmpty()) {
        return saveAs();
    }
    return saveTo(m_report.fileName);
}

bool Designer::saveAs()
{
    m_canvas->commitTextEdit();
    QString suggested = m_report.fileName;
    if (suggested.isEmpty()) {
        suggested = QDir(m_lastFolder.isEmpty() ? QDir::homePath() : m_lastFolder)
                        .filePath(tr("label") + QLatin1Char('.') + kExtension);
    }
    QString path = m_dialogs.saveFile(this, tr("Save label template as"), suggested, templateFilter());
    if (path.isEmpty()) {
        return false;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QLatin1Char('.') + kExtension;
    }
    m_lastFolder = QFileInfo(path).absolutePath();
    return saveTo(path);
}

bool Designer::saveTo(const QString& path)
{
    try {
        m_report.saveToFile(path);
    } catch (const report::TemplateError& e) {
        m_boxes.showError(boxTitle(), QString::fromUtf8(e.what()));
        return false;
    }
    m_doc->markSaved();
    updateActions();
    return true;
}

bool Designer::confirmClose()
{
    m_canvas->commitTextEdit();
    if (!m_doc->isModified()) {
        return true;
    }
    const QString name = m_report.fileName.isEmpty() ? tr("the new label template")
                                                     : QDir::toNativeSeparators(m_report.fileName);
    switch (m_boxes.ask(boxTitle(), tr("Save changes to %1?").arg(name))) {
    case preview::MessageBoxes::Answer::Yes:
        return save();
    case preview::MessageBoxes::Answer::No:
        return true;
    case preview::MessageBoxes::Answer::Cancel:
        break;
    }
    return false;
}

void Designer::reject()
{
    bool close = false;
    guarded([&] { close = confirmClose(); });
    if (!close) {
        return;
    }
    saveState();
    QDialog::reject();
}

void Designer::showPreview()
{
    m_canvas->commitTextEdit();
    report::ErrorList errors;
    const report::PreparedReport prepared = report::prepare(m_report, m_links, errors);
    m_pages->setPages(prepared);
    if (m_pagesHandler) {
        m_pagesHandler(prepared);
    }
    reportErrors(errors);
}

void Designer::editPageSetup()
{
    PageSetupDialog dialog(m_doc->page(), this);
    if (dialog.exec() == QDialog::Accepted) {
        m_doc->setPageSetup(dialog.page());
    }
}

} // namespace lbl::designer
