#include "elicitation/ChartBrushEditor.h"
#include "platform/FormControls.h"

#include <QColorDialog>

TForm_BrushEditor *Form_BrushEditor = nullptr;

TBrushStyle BrushStyleOfCode(std::uint8_t code) {
    switch (code) {
    case 1:
        return bsClear;
    case 2:
        return bsHorizontal;
    case 3:
        return bsVertical;
    case 4:
        return bsFDiagonal;
    case 5:
        return bsBDiagonal;
    case 6:
        return bsCross;
    case 7:
        return bsDiagCross;
    default:
        return bsSolid;
    }
}

TForm_BrushEditor::TForm_BrushEditor(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setupUi(this);
    setFixedSize(size());
    ColorDialog_brush = new QColorDialog(this);
    ColorDialog_brush->setObjectName(QStringLiteral("ColorDialog_brush"));
    connect(Button_color, &QPushButton::clicked, this, &TForm_BrushEditor::Button_colorClick);
    connect(Button_ok, &QPushButton::clicked, this, &TForm_BrushEditor::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &TForm_BrushEditor::Button_cancelClick);
}

void TForm_BrushEditor::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    CenterOnOwner(this);
    FormActivate();
}

void TForm_BrushEditor::FormActivate() {
    SetSwatchColor(Edit_color, BrushColor);
    SetRadioItemIndex(RadioGroup_style, BrushStyle >= 1 && BrushStyle <= 8 ? BrushStyle - 1 : 7);
}

void TForm_BrushEditor::Button_colorClick() {
    PickSwatchColor(ColorDialog_brush, Edit_color);
}

void TForm_BrushEditor::Button_okClick() {
    BrushColor = SwatchColor(Edit_color);
    const int index = RadioItemIndex(RadioGroup_style);
    BrushStyle = std::uint8_t(index >= 0 ? index + 1 : 8);
    done(QDialog::Accepted);
}

void TForm_BrushEditor::Button_cancelClick() {
    done(QDialog::Rejected);
}
