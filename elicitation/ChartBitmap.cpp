#include "elicitation/ChartBitmap.h"
#include "platform/Chart.h"
#include "platform/FormControls.h"

TForm_Bitmap *Form_Bitmap = nullptr;

TForm_Bitmap::TForm_Bitmap(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setupUi(this);
    setFixedSize(size());
    OpenDialog_bitmap.Title = QStringLiteral("Select a Bitmap File");
    // Both spellings: file names are case-sensitive here.
    OpenDialog_bitmap.Filter = QStringLiteral("Bitmap Files|*.BMP;*.bmp");
    OpenDialog_bitmap.DefaultExt = QStringLiteral("BMP");
    OpenDialog_bitmap.Options = ofPathMustExist | ofFileMustExist;
    for (QRadioButton *item : RadioItems(RadioGroup_bitmap))
        connect(item, &QRadioButton::clicked, this, &TForm_Bitmap::RadioGroup_bitmapClick);
    connect(BitBtn_openbitmap, &QPushButton::clicked, this, &TForm_Bitmap::BitBtn_openbitmapClick);
    connect(CheckBox_bitmap, &QCheckBox::clicked, this, &TForm_Bitmap::CheckBox_bitmapClick);
    connect(Button_bitmapclear, &QPushButton::clicked, this,
            &TForm_Bitmap::Button_bitmapclearClick);
    connect(BitBtn_close, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm_Bitmap::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    CenterOnOwner(this);
}

void TForm_Bitmap::RadioGroup_bitmapClick() {
    if (Chart)
        Chart->SetBackImageMode(RadioItemIndex(RadioGroup_bitmap));
}

void TForm_Bitmap::BitBtn_openbitmapClick() {
    if (!Chart || !OpenDialog_bitmap.Execute(this) || !Chart)
        return;
    RadioGroup_bitmap->setEnabled(false);
    Chart->SetBackImageInside(CheckBox_bitmap->isChecked());
    Chart->SetBackImageMode(RadioItemIndex(RadioGroup_bitmap));
    // A file that does not read as a picture leaves the old one; the chart
    // says why. The mode group comes back either way.
    Chart->LoadBackImage(OpenDialog_bitmap.FileName);
    RadioGroup_bitmap->setEnabled(true);
}

void TForm_Bitmap::CheckBox_bitmapClick() {
    if (Chart)
        Chart->SetBackImageInside(CheckBox_bitmap->isChecked());
}

void TForm_Bitmap::Button_bitmapclearClick() {
    if (Chart)
        Chart->SetBackImage(QImage());
}
