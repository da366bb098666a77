#include "elicitation/ChartShadows.h"
#include "app/Dazazezad.h"
#include "elicitation/ChartBrushEditor.h"
#include "elicitation/ChartPenEditor.h"
#include "platform/FormControls.h"

#include <QColorDialog>

TForm_Shadows *Form_Shadows = nullptr;

namespace {
// The editors' fields change only on OK, so copying them back after Cancel
// leaves the settings as they were.
void EditPen(TColor &color, int &width, std::uint8_t &style) {
    Form_PenEditor->PenColor = color;
    Form_PenEditor->PenWidth = width;
    Form_PenEditor->PenStyle = style;
    Form_PenEditor->exec();
    color = Form_PenEditor->PenColor;
    width = Form_PenEditor->PenWidth;
    style = Form_PenEditor->PenStyle;
}

void EditBrush(TColor &color, std::uint8_t &style) {
    Form_BrushEditor->BrushColor = color;
    Form_BrushEditor->BrushStyle = style;
    Form_BrushEditor->exec();
    color = Form_BrushEditor->BrushColor;
    style = Form_BrushEditor->BrushStyle;
}
} // namespace

TForm_Shadows::TForm_Shadows(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setupUi(this);
    setFixedSize(size());
    ColorDialog_line = new QColorDialog(this);
    ColorDialog_line->setObjectName(QStringLiteral("ColorDialog_line"));
    connect(Button_chartborder, &QPushButton::clicked, this,
            &TForm_Shadows::Button_chartborderClick);
    connect(Button_chartpattern, &QPushButton::clicked, this,
            &TForm_Shadows::Button_chartpatternClick);
    connect(Button_decisionborder, &QPushButton::clicked, this,
            &TForm_Shadows::Button_decisionborderClick);
    connect(Button_decisionpattern, &QPushButton::clicked, this,
            &TForm_Shadows::Button_decisionpatternClick);
    connect(Button_chartline, &QPushButton::clicked, this, &TForm_Shadows::Button_chartlineClick);
    connect(Button_close, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm_Shadows::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    CenterOnOwner(this);
    FormShow();
}

void TForm_Shadows::FormShow() {
    SetSwatchColor(Edit_color, Kavrel->ActiveLineColor);
}

void TForm_Shadows::Button_chartborderClick() {
    EditPen(Kavrel->ChartRangePenColor, Kavrel->ChartRangePenWidth, Kavrel->ChartRangePenStyle);
}

void TForm_Shadows::Button_chartpatternClick() {
    EditBrush(Kavrel->ChartRangeBrushColor, Kavrel->ChartRangeBrushStyle);
}

void TForm_Shadows::Button_decisionborderClick() {
    EditPen(Kavrel->DecisionRangePenColor, Kavrel->DecisionRangePenWidth,
            Kavrel->DecisionRangePenStyle);
}

void TForm_Shadows::Button_decisionpatternClick() {
    EditBrush(Kavrel->DecisionRangeBrushColor, Kavrel->DecisionRangeBrushStyle);
}

void TForm_Shadows::Button_chartlineClick() {
    PickSwatchColor(ColorDialog_line, Edit_color);
    Kavrel->ActiveLineColor = SwatchColor(Edit_color);
}
