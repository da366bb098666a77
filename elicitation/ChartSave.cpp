#include "elicitation/ChartSave.h"
#include "app/Dazazezad.h"
#include "platform/Chart.h"
#include "platform/FormControls.h"

TForm_SaveChart *Form_SaveChart = nullptr;

TForm_SaveChart::TForm_SaveChart(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setupUi(this);
    setFixedSize(size());
    SaveDialog_chart.Options = ofOverwritePrompt | ofHideReadOnly;
    connect(Button_savetofile, &QPushButton::clicked, this,
            &TForm_SaveChart::Button_savetofileClick);
    connect(Button_clipboard, &QPushButton::clicked, this, &TForm_SaveChart::Button_clipboardClick);
    connect(Button_close, &QPushButton::clicked, this, &TForm_SaveChart::Button_closeClick);
}

void TForm_SaveChart::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    CenterOnOwner(this);
}

void TForm_SaveChart::Button_savetofileClick() {
    if (!Chart)
        return;
    // The checked type comes first in the filter and gives the default extension.
    if (Radio_m->isChecked()) {
        SaveDialog_chart.Filter = QStringLiteral("Metafile files (*.wmf)|*.WMF|Bitmap files "
                                                 "(*.bmp)|*.BMP|Enhanced Metafile files "
                                                 "(*.emf)|*.EMF");
        SaveDialog_chart.DefaultExt = QStringLiteral("WMF");
    } else if (Radio_e->isChecked()) {
        SaveDialog_chart.Filter = QStringLiteral("Enhanced Metafile files (*.emf)|*.EMF|Bitmap "
                                                 "files (*.bmp)|*.BMP|Metafile files "
                                                 "(*.wmf)|*.WMF");
        SaveDialog_chart.DefaultExt = QStringLiteral("EMF");
    } else {
        SaveDialog_chart.Filter = QStringLiteral("Bitmap files (*.bmp)|*.BMP|Metafile files "
                                                 "(*.wmf)|*.WMF|Enhanced Metafile files "
                                                 "(*.emf)|*.EMF");
        SaveDialog_chart.DefaultExt = QStringLiteral("BMP");
    }
    SaveDialog_chart.FilterIndex = 1;
    const int active = Kavrel ? Kavrel->ActiveCriterion : -1;
    SaveDialog_chart.FileName = Kavrel && active >= 0 && active < int(Kavrel->Criteria.size())
                                    ? Kavrel->Criteria[size_t(active)].Name
                                    : QString();
    if (!SaveDialog_chart.Execute(this) || !Chart)
        return;
    // The checked format is written whatever filter entry the user picked. The
    // writers replace the file only when the whole picture was written and
    // report a failure themselves.
    const QString &fileName = SaveDialog_chart.FileName;
    if (Radio_m->isChecked())
        Chart->SaveToMetafile(fileName);
    else if (Radio_e->isChecked())
        Chart->SaveToMetafileEnh(fileName);
    else
        Chart->SaveToBitmapFile(fileName);
}

void TForm_SaveChart::Button_clipboardClick() {
    if (!Chart)
        return;
    if (Radio_m->isChecked())
        Chart->CopyToClipboardMetafile(false);
    else if (Radio_e->isChecked())
        Chart->CopyToClipboardMetafile(true);
    else
        Chart->CopyToClipboardBitmap();
}

void TForm_SaveChart::Button_closeClick() {
    close();
}
