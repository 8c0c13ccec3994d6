// The main window and its creation sequence.
#include "app/Tfrm_barcode.h"

#include "data/PreviewSet.h"
#include "data/WorkbookImport.h"
#include "data/WorkbookServer.h"
#include "preview/Printers.h"
#include "settings/Settings.h"
#include "ui_Tfrm_barcode.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QResizeEvent>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

Tfrm_barcode* frm_barcode = nullptr;

namespace {

constexpr QSize clientSize(660, 449);

QString runningProgramFile(const WindowContext& context)
{
    if (context.programFile) {
        return context.programFile();
    }
    return QCoreApplication::applicationFilePath();
}

QFont uiFont(int pixelSize)
{
    QFont font;
    // Tahoma is rarely installed here; the CJK face keeps the Chinese captions readable.
    font.setFamilies(
        {QStringLiteral("Tahoma"), QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Sans")});
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

Tfrm_barcode::Tfrm_barcode(WindowContext context, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                          | Qt::WindowCloseButtonHint)
    , rptReport1(*context.boxes)
    , m_ui(std::make_unique<Ui::Tfrm_barcode>())
    , m_context(std::move(context))
    , m_guard(*m_context.boxes, lbl::app::applicationTitle(runningProgramFile(m_context)))
{
    Q_ASSERT(m_context.boxes != nullptr);
    Q_INIT_RESOURCE(app);
    m_ui->setupUi(this);
    PageControl1 = m_ui->PageControl1;
    tsBQDY = m_ui->tsBQDY;
    cbb_print = m_ui->cbb_print;
    cbb_PVD = m_ui->cbb_PVD;
    BitBtn1 = m_ui->BitBtn1;
    Label1 = m_ui->Label1;
    Label2 = m_ui->Label2;

    rptPreview1 = new lbl::preview::PreviewPane(tsBQDY);
    rptPreview1->setObjectName(QStringLiteral("rptPreview1"));
    rptPreview1->setGeometry(363, 32, 273, 252);
    rptReport1.report() = lbl::report::sampleReport();
    rptReport1.dataLink().setSource(&dsTmp);

    cbb_PVD->addItem(QStringLiteral("打印"), QStringLiteral("P"));
    cbb_PVD->addItem(QStringLiteral("设计"), QStringLiteral("D"));
    cbb_PVD->setCurrentIndex(0);

    applyLook();
    resize(clientSize);
    setMinimumSize(clientSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), clientSize);
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    m_guard.run([this] { FormCreate(); });
}

Tfrm_barcode::~Tfrm_barcode() = default;

void Tfrm_barcode::applyLook()
{
    setFont(uiFont(11));
    PageControl1->tabBar()->hide();
    PageControl1->setFont(uiFont(15));

    QPalette page = tsBQDY->palette();
    page.setColor(QPalette::Window, QColor(247, 246, 245));
    tsBQDY->setPalette(page);
    tsBQDY->setAutoFillBackground(true);

    // Flat buttons with hot tracking, framed as the layout asks.
    tsBQDY->setStyleSheet(QStringLiteral(
        "QPushButton { background: rgb(244,244,240); border: 1px solid rgb(0,60,116); border-radius: 2px; }"
        "QPushButton:hover { background: rgb(226,234,246); }"
        "QPushButton:pressed { background: rgb(204,218,238); }"
        "QPushButton:focus { border: 2px solid rgb(0,60,116); }"
        "QComboBox { border: 1px solid rgb(127,157,185); background: white; padding-left: 4px; }"
        "QComboBox::drop-down { subcontrol-origin: padding; subcontrol-position: center right; width: 18px;"
        " border-left: 1px solid rgb(127,157,185); background: rgb(244,244,240); }"
        "QComboBox::down-arrow { image: url(:/app/arrow-down.png); width: 9px; height: 9px; }"));
}

void Tfrm_barcode::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // A single fixed border: the size is kept unless the window is maximised.
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) && event->size() != clientSize) {
        resize(clientSize);
    }
}

QList<QPushButton*> Tfrm_barcode::slotButtons() const
{
    return {m_ui->btnBtn1, m_ui->btnBtn2, m_ui->btnBtn3, m_ui->btnBtn4,  m_ui->btnBtn5,  m_ui->btnBtn6,
            m_ui->Button2, m_ui->btnBtn8, m_ui->btnBtn9, m_ui->btnBtn10, m_ui->btnBtn11, m_ui->btnBtn12};
}

QString Tfrm_barcode::slotKey(const QPushButton* button)
{
    return button->property("hint").toString();
}

template <typename Sender, typename Signal, typename Slot>
void Tfrm_barcode::connectGuarded(Sender* sender, Signal signal, Slot slot)
{
    connect(sender, signal, this, [this, slot] { m_guard.run(slot); });
}

void Tfrm_barcode::FormCreate()
{
    for (QPushButton* button : slotButtons()) {
        connectGuarded(button, &QPushButton::clicked, [this, button] { BtnClick(button); });
    }
    connectGuarded(cbb_print, &QComboBox::activated, [this] { cbb_printChange(); });
    connectGuarded(BitBtn1, &QPushButton::clicked, [this] { BitBtn1Click(); });

    PageControl1->setCurrentWidget(tsBQDY);

    const QStringList printers = lbl::preview::installedPrinters();
    cbb_print->addItems(printers);

    // With no default printer the read simply has no default: the sequence goes on.
    const QString saved = ReadSetting(QStringLiteral("LAB"), QStringLiteral("LAB_PRINT0"),
                                      lbl::preview::defaultPrinter().value_or(QString()));
    const auto match = std::find_if(printers.cbegin(), printers.cend(), [&saved](const QString& name) {
        return name.compare(saved, Qt::CaseInsensitive) == 0;
    });
    cbb_print->setCurrentIndex(match == printers.cend() ? -1 : int(match - printers.cbegin()));

    FExePath = QFileInfo(runningProgramFile(m_context)).absolutePath() + QDir::separator();

    const QString workbook = FExePath + QStringLiteral("LabList.xls");
    if (QFileInfo::exists(workbook)) {
        ImportWorkbook(workbook);
    }
    if (cdsMain.isActive()) {
        BuildPreviewSet();
    }
    m_ui->btnBtn1->click();
}

void Tfrm_barcode::ImportWorkbook(const QString& fileName)
{
    // The hourglass goes back on every way out, the error ones included.
    struct WaitCursor
    {
        WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
        ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
        WaitCursor(const WaitCursor&) = delete;
        WaitCursor& operator=(const WaitCursor&) = delete;
    };
    auto outcome = lbl::data::ImportOutcome::Imported;
    {
        const WaitCursor wait;
        outcome = lbl::data::importWorkbook(fileName, cdsMain,
                                            m_context.serverFactory ? m_context.serverFactory
                                                                    : lbl::data::workbookServerFactory(),
                                            QLocale::system());
    }
    if (outcome == lbl::data::ImportOutcome::ServerNotFound) {
        m_context.boxes->showPlain(lbl::app::applicationTitle(runningProgramFile(m_context)),
                                   lbl::data::serverNotFoundText());
    }
}

void Tfrm_barcode::BuildPreviewSet()
{
    lbl::data::buildPreviewSet(cdsMain, cdsTmp);
}

QString Tfrm_barcode::settingsPath() const
{
    return QFileInfo(runningProgramFile(m_context)).absolutePath() + QDir::separator()
           + QLatin1String(lbl::settings::settingsFileName);
}

QString Tfrm_barcode::ReadSetting(const QString& section, const QString& key,
                                  const QString& defaultValue) const
{
    return lbl::settings::readValue(settingsPath(), section, key, defaultValue);
}

void Tfrm_barcode::WriteSetting(const QString& section, const QString& key, const QString& value) const
{
    lbl::settings::writeValue(settingsPath(), section, key, value);
}

lbl::output::OutputContext Tfrm_barcode::outputContext()
{
    lbl::output::OutputContext context;
    context.engine = &rptReport1;
    context.pane = rptPreview1;
    context.dsTmp = &dsTmp;
    context.dsMain = &dsMain;
    context.readSetting = [this](const QString& section, const QString& key, const QString& defaultValue) {
        return ReadSetting(section, key, defaultValue);
    };
    context.writeSetting = [this](const QString& section, const QString& key, const QString& value) {
        WriteSetting(section, key, value);
    };
    context.design = [this](lbl::preview::ReportEngine& engine) {
        if (m_context.designer != nullptr) {
            m_context.designer->design(engine, this);
        }
    };
    context.printerName = [this] { return cbb_print->currentText(); };
    return context;
}

void Tfrm_barcode::RunReport(const QString& mode)
{
    lbl::output::runReport(outputContext(), mode);
}

void Tfrm_barcode::BtnClick(QPushButton* sender)
{
    lbl::output::selectSlot(outputContext(), slotKey(sender));
    FButton = sender;
}

void Tfrm_barcode::cbb_printChange()
{
    WriteSetting(QStringLiteral("LAB"), QStringLiteral("LAB_PRINT0"), cbb_print->currentText());
}

void Tfrm_barcode::BitBtn1Click()
{
    const std::optional<QString> currentSlot =
        FButton ? std::optional<QString>(slotKey(FButton)) : std::nullopt;
    lbl::output::printCommand(
        outputContext(), [this] { return cbb_PVD->currentData().toString(); }, currentSlot);
}
