// The property panel: the selected objects' values in millimetres, applied at once as undoable edits.
#pragma once

#include "designer/DesignDocument.h"

#include <QByteArray>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace lbl::designer {

/// Shows the first selected object's values; an edit applies to every selected object of that kind.
/// With nothing selected it shows the current band.
class PropertyPanel : public QWidget
{
    Q_OBJECT

public:
    enum class Field { Left, Top, Width, Height };

    explicit PropertyPanel(DesignDocument& document, QWidget* parent = nullptr);

    void setImageLoader(std::function<QByteArray()> loader) { m_imageLoader = std::move(loader); }
    /// Shows the document's current state again.
    void reload();
    QDoubleSpinBox* geometryBox(Field field) const { return m_geometry[int(field)]; }
    QPlainTextEdit* textBox() const { return m_text; }
    QComboBox* symbologyBox() const { return m_symbology; }

private:
    void build();
    void apply(const QString& key, const std::function<void(report::ReportObject&)>& change);
    void applyText(const std::function<void(report::TextObject&)>& change, const QString& key);
    void applyBarcode(const std::function<void(report::BarcodeObject&)>& change, const QString& key);
    QPushButton* colourButton(const std::function<void(const QColor&)>& picked);
    static void showColour(QPushButton* button, const QColor& colour);
    void fitBarcode();

    DesignDocument& m_doc;
    std::function<QByteArray()> m_imageLoader;
    bool m_loading = false;
    bool m_applying = false;

    QLabel* m_heading = nullptr;
    QLineEdit* m_name = nullptr;
    QGroupBox* m_geometryGroup = nullptr;
    QDoubleSpinBox* m_geometry[4] = {};

    QGroupBox* m_textGroup = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QFontComboBox* m_font = nullptr;
    QDoubleSpinBox* m_fontSize = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QPushButton* m_textColour = nullptr;
    QComboBox* m_hAlign = nullptr;
    QComboBox* m_vAlign = nullptr;
    QCheckBox* m_wrap = nullptr;
    QCheckBox* m_frame[4] = {};
    QDoubleSpinBox* m_frameWidth = nullptr;

    QGroupBox* m_barcodeGroup = nullptr;
    QLineEdit* m_data = nullptr;
    QLineEdit* m_sample = nullptr;
    QComboBox* m_symbology = nullptr;
    QCheckBox* m_showText = nullptr;
    QFontComboBox* m_barcodeFont = nullptr;
    QSpinBox* m_barcodeFontPx = nullptr;
    QComboBox* m_rotation = nullptr;
    QDoubleSpinBox* m_ratio = nullptr;
    QDoubleSpinBox* m_zoom = nullptr;
    QCheckBox* m_autoSize = nullptr;

    QGroupBox* m_lineGroup = nullptr;
    QDoubleSpinBox* m_lineWidth = nullptr;
    QPushButton* m_lineColour = nullptr;
    QCheckBox* m_fill = nullptr;
    QPushButton* m_fillColour = nullptr;

    QGroupBox* m_pictureGroup = nullptr;
    QCheckBox* m_keepAspect = nullptr;

    QGroupBox* m_bandGroup = nullptr;
    QLabel* m_bandKind = nullptr;
    QDoubleSpinBox* m_bandHeight = nullptr;
    QLineEdit* m_bandDataSet = nullptr;
};

} // namespace lbl::designer
