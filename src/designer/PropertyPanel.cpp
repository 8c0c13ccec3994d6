// The property panel: one group per kind of object, every change one undoable edit.
#include "designer/PropertyPanel.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lbl::designer {

namespace {

constexpr qreal kMaxMm = 2000;
constexpr qreal kBarcodeDotDpi = 300;

QDoubleSpinBox* mmBox(qreal min = -kMaxMm)
{
    auto* box = new QDoubleSpinBox;
    box->setRange(min, kMaxMm);
    box->setDecimals(2);
    box->setSingleStep(0.5);
    box->setSuffix(QObject::tr(" mm"));
    box->setKeyboardTracking(false);
    return box;
}

template <typename T> const T* contentOf(const report::ReportObject* object)
{
    return object != nullptr ? std::get_if<T>(&object->content) : nullptr;
}

} // namespace

PropertyPanel::PropertyPanel(DesignDocument& document, QWidget* parent)
    : QWidget(parent)
    , m_doc(document)
{
    build();
    connect(&m_doc, &DesignDocument::selectionChanged, this, &PropertyPanel::reload);
    connect(&m_doc, &DesignDocument::changed, this, [this] {
        if (!m_applying) {
            reload();
        }
    });
    reload();
}

void PropertyPanel::showColour(QPushButton* button, const QColor& colour)
{
    button->setText(colour.isValid() ? colour.name() : tr("none"));
    button->setStyleSheet(
        colour.isValid() ? QStringLiteral("QPushButton { border-left: 14px solid %1; }").arg(colour.name())
                         : QString());
}

QPushButton* PropertyPanel::colourButton(const std::function<void(const QColor&)>& picked)
{
    auto* button = new QPushButton;
    connect(button, &QPushButton::clicked, this, [this, button, picked] {
        const QColor colour = QColorDialog::getColor(QColor(button->text()), this);
        if (colour.isValid()) {
            showColour(button, colour);
            picked(colour);
        }
    });
    return button;
}

void PropertyPanel::build()
{
    auto* layout = new QVBoxLayout(this);
    m_heading = new QLabel;
    QFont headingFont = m_heading->font();
    headingFont.setBold(true);
    m_heading->setFont(headingFont);
    layout->addWidget(m_heading);
    m_name = new QLineEdit;
    m_name->setPlaceholderText(tr("Name"));
    connect(m_name, &QLineEdit::editingFinished, this, [this] {
        const QString name = m_name->text().trimmed();
        if (!name.isEmpty() && m_doc.selection().size() == 1) {
            apply(QString(), [name](report::ReportObject& o) { o.name = name; });
        }
    });
    layout->addWidget(m_name);

    m_geometryGroup = new QGroupBox(tr("Position and size"));
    auto* geometry = new QFormLayout(m_geometryGroup);
    const QString labels[] = {tr("Left"), tr("Top"), tr("Width"), tr("Height")};
    for (int i = 0; i < 4; ++i) {
        m_geometry[i] = mmBox(i < 2 ? -kMaxMm : 0);
        geometry->addRow(labels[i], m_geometry[i]);
        connect(m_geometry[i], &QDoubleSpinBox::valueChanged, this, [this, i](double v) {
            apply(QStringLiteral("geometry%1").arg(i), [i, v](report::ReportObject& o) {
                switch (i) {
                case 0:
                    o.boxMm.moveLeft(v);
                    break;
                case 1:
                    o.boxMm.moveTop(v);
                    break;
                case 2:
                    o.boxMm.setWidth(v);
                    break;
                default:
                    o.boxMm.setHeight(v);
                    break;
                }
            });
        });
    }
    layout->addWidget(m_geometryGroup);

    // Text.
    m_textGroup = new QGroupBox(tr("Text"));
    auto* text = new QFormLayout(m_textGroup);
    m_text = new QPlainTextEdit;
    m_text->setFixedHeight(64);
    m_text->setToolTip(tr("Fields are written [rptDBDataset1.\"FIELD\"]; also [Page#], [Date], [Time]."));
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] {
        const QString value = m_text->toPlainText();
        applyText([value](report::TextObject& t) { t.text = value; }, QStringLiteral("text"));
    });
    text->addRow(m_text);
    m_font = new QFontComboBox;
    connect(m_font, &QFontComboBox::currentFontChanged, this, [this](const QFont& f) {
        const QString family = f.family();
        applyText([family](report::TextObject& t) { t.font.family = family; }, QString());
    });
    text->addRow(tr("Font"), m_font);
    m_fontSize = new QDoubleSpinBox;
    m_fontSize->setRange(1, 500);
    m_fontSize->setDecimals(1);
    m_fontSize->setSuffix(tr(" pt"));
    m_fontSize->setKeyboardTracking(false);
    connect(m_fontSize, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        applyText([v](report::TextObject& t) { t.font.sizePt = v; }, QStringLiteral("fontSize"));
    });
    text->addRow(tr("Size"), m_fontSize);
    auto* styleRow = new QHBoxLayout;
    m_bold = new QCheckBox(tr("Bold"));
    m_italic = new QCheckBox(tr("Italic"));
    m_underline = new QCheckBox(tr("Underline"));
    styleRow->addWidget(m_bold);
    styleRow->addWidget(m_italic);
    styleRow->addWidget(m_underline);
    text->addRow(styleRow);
    connect(m_bold, &QCheckBox::toggled, this,
            [this](bool on) { applyText([on](report::TextObject& t) { t.font.bold = on; }, QString()); });
    connect(m_italic, &QCheckBox::toggled, this,
            [this](bool on) { applyText([on](report::TextObject& t) { t.font.italic = on; }, QString()); });
    connect(m_underline, &QCheckBox::toggled, this, [this](bool on) {
        applyText([on](report::TextObject& t) { t.font.underline = on; }, QString());
    });
    m_textColour = colourButton(
        [this](const QColor& c) { applyText([c](report::TextObject& t) { t.font.color = c; }, QString()); });
    text->addRow(tr("Colour"), m_textColour);
    m_hAlign = new QComboBox;
    m_hAlign->addItems({tr("Left"), tr("Centre"), tr("Right")});
    connect(m_hAlign, &QComboBox::activated, this, [this](int i) {
        applyText([i](report::TextObject& t) { t.hAlign = report::HAlign(i); }, QString());
    });
    m_vAlign = new QComboBox;
    m_vAlign->addItems({tr("Top"), tr("Centre"), tr("Bottom")});
    connect(m_vAlign, &QComboBox::activated, this, [this](int i) {
        applyText([i](report::TextObject& t) { t.vAlign = report::VAlign(i); }, QString());
    });
    text->addRow(tr("Across"), m_hAlign);
    text->addRow(tr("Down"), m_vAlign);
    m_wrap = new QCheckBox(tr("Wrap words"));
    connect(m_wrap, &QCheckBox::toggled, this,
            [this](bool on) { applyText([on](report::TextObject& t) { t.wordWrap = on; }, QString()); });
    text->addRow(m_wrap);
    auto* frameRow = new QHBoxLayout;
    const QString sides[] = {tr("L"), tr("T"), tr("R"), tr("B")};
    for (int i = 0; i < 4; ++i) {
        m_frame[i] = new QCheckBox(sides[i]);
        frameRow->addWidget(m_frame[i]);
        connect(m_frame[i], &QCheckBox::toggled, this, [this, i](bool on) {
            applyText(
                [i, on](report::TextObject& t) {
                    bool* side[] = {&t.frame.left, &t.frame.top, &t.frame.right, &t.frame.bottom};
                    *side[i] = on;
                },
                QString());
        });
    }
    text->addRow(tr("Frame"), frameRow);
    m_frameWidth = mmBox(0);
    m_frameWidth->setSingleStep(0.1);
    connect(m_frameWidth, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        applyText([v](report::TextObject& t) { t.frame.widthMm = v; }, QStringLiteral("frameWidth"));
    });
    text->addRow(tr("Frame width"), m_frameWidth);
    layout->addWidget(m_textGroup);

    // Barcode.
    m_barcodeGroup = new QGroupBox(tr("Barcode"));
    auto* barcode = new QFormLayout(m_barcodeGroup);
    m_data = new QLineEdit;
    connect(m_data, &QLineEdit::textEdited, this, [this](const QString& v) {
        applyBarcode([v](report::BarcodeObject& b) { b.data = v; }, QStringLiteral("data"));
    });
    barcode->addRow(tr("Data"), m_data);
    m_sample = new QLineEdit;
    m_sample->setToolTip(tr("Shown while the data gives no value"));
    connect(m_sample, &QLineEdit::textEdited, this, [this](const QString& v) {
        applyBarcode([v](report::BarcodeObject& b) { b.sampleText = v; }, QStringLiteral("sample"));
    });
    barcode->addRow(tr("Sample"), m_sample);
    m_symbology = new QComboBox;
    for (report::Symbology s : report::allSymbologies()) {
        m_symbology->addItem(report::symbologyTitle(s), int(s));
    }
    connect(m_symbology, &QComboBox::activated, this, [this](int i) {
        const auto s = report::Symbology(m_symbology->itemData(i).toInt());
        applyBarcode([s](report::BarcodeObject& b) { b.style.symbology = s; }, QString());
    });
    barcode->addRow(tr("Kind"), m_symbology);
    m_showText = new QCheckBox(tr("Text under the bars"));
    connect(m_showText, &QCheckBox::toggled, this, [this](bool on) {
        applyBarcode([on](report::BarcodeObject& b) { b.style.showText = on; }, QString());
    });
    barcode->addRow(m_showText);
    m_barcodeFont = new QFontComboBox;
    connect(m_barcodeFont, &QFontComboBox::currentFontChanged, this, [this](const QFont& f) {
        const QString family = f.family();
        applyBarcode([family](report::BarcodeObject& b) { b.style.textFont.setFamily(family); }, QString());
    });
    barcode->addRow(tr("Text font"), m_barcodeFont);
    m_barcodeFontPx = new QSpinBox;
    m_barcodeFontPx->setRange(4, 200);
    m_barcodeFontPx->setSuffix(tr(" px"));
    m_barcodeFontPx->setKeyboardTracking(false);
    connect(m_barcodeFontPx, &QSpinBox::valueChanged, this, [this](int px) {
        applyBarcode([px](report::BarcodeObject& b) { b.style.textFont.setPixelSize(px); },
                     QStringLiteral("barcodeFontPx"));
    });
    barcode->addRow(tr("Text height"), m_barcodeFontPx);
    m_rotation = new QComboBox;
    m_rotation->addItems(
        {QStringLiteral("0°"), QStringLiteral("90°"), QStringLiteral("180°"), QStringLiteral("270°")});
    connect(m_rotation, &QComboBox::activated, this, [this](int i) {
        applyBarcode([i](report::BarcodeObject& b) { b.style.rotationDeg = i * 90; }, QString());
    });
    barcode->addRow(tr("Rotation"), m_rotation);
    m_ratio = new QDoubleSpinBox;
    m_ratio->setRange(2, 3);
    m_ratio->setSingleStep(0.1);
    m_ratio->setKeyboardTracking(false);
    m_ratio->setToolTip(tr("Wide to narrow bar ratio (Code 39, ITF-14)"));
    connect(m_ratio, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        applyBarcode([v](report::BarcodeObject& b) { b.style.wideToNarrow = v; }, QStringLiteral("ratio"));
    });
    barcode->addRow(tr("Ratio"), m_ratio);
    m_zoom = new QDoubleSpinBox;
    m_zoom->setRange(0.1, 50);
    m_zoom->setDecimals(3);
    m_zoom->setSingleStep(0.1);
    m_zoom->setKeyboardTracking(false);
    connect(m_zoom, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        applyBarcode([v](report::BarcodeObject& b) { b.style.zoom = v; }, QStringLiteral("zoom"));
    });
    barcode->addRow(tr("Zoom"), m_zoom);
    m_autoSize = new QCheckBox(tr("Size to the symbol"));
    connect(m_autoSize, &QCheckBox::toggled, this, [this](bool on) {
        applyBarcode([on](report::BarcodeObject& b) { b.style.autoSize = on; }, QString());
    });
    barcode->addRow(m_autoSize);
    layout->addWidget(m_barcodeGroup);

    // Lines and rectangles.
    m_lineGroup = new QGroupBox(tr("Line"));
    auto* line = new QFormLayout(m_lineGroup);
    m_lineWidth = mmBox(0);
    m_lineWidth->setSingleStep(0.1);
    connect(m_lineWidth, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        apply(QStringLiteral("lineWidth"), [v](report::ReportObject& o) {
            if (auto* l = std::get_if<report::LineObject>(&o.content)) {
                l->widthMm = v;
            } else if (auto* r = std::get_if<report::RectObject>(&o.content)) {
                r->lineWidthMm = v;
            }
        });
    });
    line->addRow(tr("Width"), m_lineWidth);
    m_lineColour = colourButton([this](const QColor& c) {
        apply(QString(), [c](report::ReportObject& o) {
            if (auto* l = std::get_if<report::LineObject>(&o.content)) {
                l->color = c;
            } else if (auto* r = std::get_if<report::RectObject>(&o.content)) {
                r->lineColor = c;
            }
        });
    });
    line->addRow(tr("Colour"), m_lineColour);
    m_fill = new QCheckBox(tr("Filled"));
    m_fillColour = colourButton([this](const QColor& c) {
        apply(QString(), [c](report::ReportObject& o) {
            if (auto* r = std::get_if<report::RectObject>(&o.content)) {
                r->fillColor = c;
            }
        });
    });
    connect(m_fill, &QCheckBox::toggled, this, [this](bool on) {
        apply(QString(), [on](report::ReportObject& o) {
            if (auto* r = std::get_if<report::RectObject>(&o.content)) {
                r->fillColor =
                    on ? (r->fillColor.isValid() ? r->fillColor : QColor(0xee, 0xee, 0xee)) : QColor();
            }
        });
    });
    line->addRow(m_fill, m_fillColour);
    layout->addWidget(m_lineGroup);

    m_pictureGroup = new QGroupBox(tr("Picture"));
    auto* picture = new QFormLayout(m_pictureGroup);
    auto* load = new QPushButton(tr("Load PNG or JPEG…"));
    connect(load, &QPushButton::clicked, this, [this] {
        const QByteArray bytes = m_imageLoader ? m_imageLoader() : QByteArray();
        if (!bytes.isEmpty()) {
            apply(QString(), [bytes](report::ReportObject& o) {
                if (auto* p = std::get_if<report::PictureObject>(&o.content)) {
                    p->imageData = bytes;
                }
            });
        }
    });
    picture->addRow(load);
    m_keepAspect = new QCheckBox(tr("Keep proportions"));
    connect(m_keepAspect, &QCheckBox::toggled, this, [this](bool on) {
        apply(QString(), [on](report::ReportObject& o) {
            if (auto* p = std::get_if<report::PictureObject>(&o.content)) {
                p->keepAspect = on;
            }
        });
    });
    picture->addRow(m_keepAspect);
    layout->addWidget(m_pictureGroup);

    m_bandGroup = new QGroupBox(tr("Band"));
    auto* band = new QFormLayout(m_bandGroup);
    m_bandKind = new QLabel;
    band->addRow(tr("Kind"), m_bandKind);
    m_bandHeight = mmBox(1);
    connect(m_bandHeight, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        if (!m_loading) {
            m_applying = true;
            m_doc.setBandHeight(m_doc.currentBand(), v);
            m_applying = false;
        }
    });
    band->addRow(tr("Height"), m_bandHeight);
    m_bandDataSet = new QLineEdit;
    connect(m_bandDataSet, &QLineEdit::editingFinished, this, [this] {
        const qsizetype index = m_doc.currentBand();
        const QString alias = m_bandDataSet->text().trimmed();
        if (m_loading || index < 0) {
            return;
        }
        m_doc.editReport([&](report::Report& r) {
            m_doc.page().bands[index].dataSet = alias;
            if (!alias.isEmpty() && !r.dataSets.contains(alias)) {
                r.dataSets.append(alias);
            }
        });
    });
    band->addRow(tr("Data set"), m_bandDataSet);
    layout->addWidget(m_bandGroup);
    layout->addStretch(1);
}

void PropertyPanel::apply(const QString& key, const std::function<void(report::ReportObject&)>& change)
{
    if (m_loading) {
        return;
    }
    m_applying = true;
    m_doc.editSelected(change, key);
    m_applying = false;
}

void PropertyPanel::applyText(const std::function<void(report::TextObject&)>& change, const QString& key)
{
    apply(key, [&change](report::ReportObject& o) {
        if (auto* t = std::get_if<report::TextObject>(&o.content)) {
            change(*t);
        }
    });
}

void PropertyPanel::applyBarcode(const std::function<void(report::BarcodeObject&)>& change,
                                 const QString& key)
{
    apply(key, [&change](report::ReportObject& o) {
        if (auto* b = std::get_if<report::BarcodeObject>(&o.content)) {
            change(*b);
        }
    });
    fitBarcode();
}

void PropertyPanel::fitBarcode()
{
    if (m_loading) {
        return;
    }
    // Auto-size keeps the box at the symbol's own size, for the sample when the data is an expression.
    m_applying = true;
    m_doc.editSelected(
        [](report::ReportObject& o) {
            const auto* b = std::get_if<report::BarcodeObject>(&o.content);
            if (b == nullptr || !b->style.autoSize) {
                return;
            }
            const QString shown = b->sampleText.isEmpty() ? b->data : b->sampleText;
            const QSizeF size = report::barcodeNaturalSizeMm(report::encodeBarcode(b->style, shown), b->style,
                                                             kBarcodeDotDpi);
            if (!size.isEmpty()) {
                o.boxMm.setSize(size);
            }
        },
        QStringLiteral("autosize"));
    m_applying = false;
    reload();
}

void PropertyPanel::reload()
{
    if (m_applying) {
        return;
    }
    m_loading = true;
    const QVector<ObjectRef>& sel = m_doc.selection();
    const report::ReportObject* o = sel.isEmpty() ? nullptr : m_doc.object(sel.first());
    m_heading->setText(o == nullptr      ? tr("No object selected")
                       : sel.size() == 1 ? o->name
                                         : tr("%1 objects (values of %2)").arg(sel.size()).arg(o->name));
    m_name->setVisible(o != nullptr && sel.size() == 1);
    m_geometryGroup->setVisible(o != nullptr);
    if (o != nullptr) {
        m_name->setText(o->name);
        const qreal values[] = {o->boxMm.left(), o->boxMm.top(), o->boxMm.width(), o->boxMm.height()};
        for (int i = 0; i < 4; ++i) {
            m_geometry[i]->setValue(values[i]);
        }
    }

    const auto* t = contentOf<report::TextObject>(o);
    m_textGroup->setVisible(t != nullptr);
    if (t != nullptr) {
        if (m_text->toPlainText() != t->text) {
            m_text->setPlainText(t->text);
        }
        m_font->setCurrentFont(QFont(t->font.family));
        m_fontSize->setValue(t->font.sizePt);
        m_bold->setChecked(t->font.bold);
        m_italic->setChecked(t->font.italic);
        m_underline->setChecked(t->font.underline);
        showColour(m_textColour, t->font.color);
        m_hAlign->setCurrentIndex(int(t->hAlign));
        m_vAlign->setCurrentIndex(int(t->vAlign));
        m_wrap->setChecked(t->wordWrap);
        const bool sides[] = {t->frame.left, t->frame.top, t->frame.right, t->frame.bottom};
        for (int i = 0; i < 4; ++i) {
            m_frame[i]->setChecked(sides[i]);
        }
        m_frameWidth->setValue(t->frame.widthMm);
    }

    const auto* b = contentOf<report::BarcodeObject>(o);
    m_barcodeGroup->setVisible(b != nullptr);
    if (b != nullptr) {
        m_data->setText(b->data);
        m_sample->setText(b->sampleText);
        m_symbology->setCurrentIndex(m_symbology->findData(int(b->style.symbology)));
        m_showText->setChecked(b->style.showText);
        m_showText->setEnabled(!report::isTwoDimensional(b->style.symbology));
        m_barcodeFont->setCurrentFont(b->style.textFont);
        m_barcodeFontPx->setValue(b->style.textFont.pixelSize() > 0 ? b->style.textFont.pixelSize() : 12);
        m_rotation->setCurrentIndex((b->style.rotationDeg / 90) % 4);
        m_ratio->setValue(b->style.wideToNarrow);
        m_zoom->setValue(b->style.zoom);
        m_autoSize->setChecked(b->style.autoSize);
        m_geometry[2]->setEnabled(!b->style.autoSize);
        m_geometry[3]->setEnabled(!b->style.autoSize);
    } else {
        m_geometry[2]->setEnabled(true);
        m_geometry[3]->setEnabled(true);
    }

    const auto* line = contentOf<report::LineObject>(o);
    const auto* rect = contentOf<report::RectObject>(o);
    m_lineGroup->setVisible(line != nullptr || rect != nullptr);
    m_fill->setVisible(rect != nullptr);
    m_fillColour->setVisible(rect != nullptr);
    if (line != nullptr) {
        m_lineWidth->setValue(line->widthMm);
        showColour(m_lineColour, line->color);
    } else if (rect != nullptr) {
        m_lineWidth->setValue(rect->lineWidthMm);
        showColour(m_lineColour, rect->lineColor);
        m_fill->setChecked(rect->fillColor.isValid());
        showColour(m_fillColour, rect->fillColor);
    }

    const auto* picture = contentOf<report::PictureObject>(o);
    m_pictureGroup->setVisible(picture != nullptr);
    if (picture != nullptr) {
        m_keepAspect->setChecked(picture->keepAspect);
    }

    const qsizetype band = m_doc.report().pages.isEmpty() ? -1 : m_doc.currentBand();
    m_bandGroup->setVisible(o == nullptr && band >= 0);
    if (o == nullptr && band >= 0) {
        const report::Band& current = m_doc.page().bands[band];
        static const char* const kinds[] = {"Page header", "Master data", "Page footer"};
        m_bandGroup->setTitle(tr("Band %1").arg(current.name));
        m_bandKind->setText(tr(kinds[int(current.type)]));
        m_bandHeight->setValue(current.heightMm);
        m_bandDataSet->setText(current.dataSet);
        m_bandDataSet->setEnabled(current.type == report::BandType::MasterData);
    }
    m_loading = false;
}

} // namespace lbl::designer
