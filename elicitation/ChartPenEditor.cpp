#include "elicitation/ChartPenEditor.h"
#include "platform/FormControls.h"

#include <QColorDialog>

TForm_PenEditor *Form_PenEditor = nullptr;

TPenStyle PenStyleOfCode(std::uint8_t code) {
    switch (code) {
    case 1:
        return psDash;
    case 2:
        return psDot;
    case 3:
        return psDashDot;
    case 4:
        return psDashDotDot;
    case 5:
        return psClear;
    case 6:
        return psInsideFrame;
    default:
        return psSolid;
    }
}

TForm_PenEditor::TForm_PenEditor(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setupUi(this);
    setFixedSize(size());
    ColorDialog_pen = new QColorDialog(this);
    ColorDialog_pen->setObjectName(QStringLiteral("ColorDialog_pen"));
    connect(CSpinEdit_width, &QSpinBox::valueChanged, this,
            &TForm_PenEditor::CSpinEdit_widthChange);
    connect(Button_color, &QPushButton::clicked, this, &TForm_PenEditor::Button_colorClick);
    connect(Button_ok, &QPushButton::clicked, this, &TForm_PenEditor::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &TForm_PenEditor::Button_cancelClick);
}

void TForm_PenEditor::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    CenterOnOwner(this);
    FormActivate();
}

void TForm_PenEditor::FormActivate() {
    SetSwatchColor(Edit_color, PenColor);
    CSpinEdit_width->setValue(PenWidth);
    // A code no item stands for shows as "Solid".
    SetRadioItemIndex(RadioGroup_style, PenStyle >= 1 && PenStyle <= 6 ? PenStyle - 1 : 5);
    CSpinEdit_widthChange();
}

void TForm_PenEditor::CSpinEdit_widthChange() {
    // Only thin pens can be drawn dashed.
    RadioGroup_style->setEnabled(CSpinEdit_width->value() == 1);
}

void TForm_PenEditor::Button_colorClick() {
    PickSwatchColor(ColorDialog_pen, Edit_color);
}

void TForm_PenEditor::Button_okClick() {
    PenColor = SwatchColor(Edit_color);
    PenWidth = CSpinEdit_width->value();
    const int index = RadioItemIndex(RadioGroup_style);
    PenStyle = std::uint8_t(index >= 0 ? index + 1 : 6);
    done(QDialog::Accepted);
}

void TForm_PenEditor::Button_cancelClick() {
    done(QDialog::Rejected);
}
