// The report document: the banded report that the wizard fills at run time,
// the HTML page text, the labels of the Keeney-Raiffa formula, and the scratch
// table of the ranking. Never shown.
#pragma once

#include "platform/Report.h"

#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

namespace Ui {
class TRaport;
}
class QTableWidget;

class TRaport : public QWidget {
    Q_OBJECT
public:
    explicit TRaport(QWidget *owner = nullptr);
    ~TRaport() override;

    TQuickRep *const QR_Main;
    TQRBand *QRBand_Title = nullptr;
    TQRLabel *QRL_Title = nullptr;
    TQRBand *QRBand1 = nullptr; // page footer
    TQRSysData *QRSysData1 = nullptr;
    TQRLabel *QRLabel1 = nullptr;
    TQRSysData *QRSysData2 = nullptr;
    // The formula labels; they live on the document until the wizard moves them onto a band.
    TQRLabel *F1, *F2, *F3, *F4, *F5, *F6, *F7, *F8;
    std::array<TQRLabel *, 8> FormulaLabels() const { return {F1, F2, F3, F4, F5, F6, F7, F8}; }
    QTableWidget *Grid_ranking = nullptr;

    // The HTML page being built, one entry per line, and its fixed head.
    QStringList Memo_HTML;
    const QStringList Memo_Begining_Of_File;

    // Pages of the last preparation of QR_Main.
    int PageCounter = 0;

    // What the last Create produced, kept for the preview even after the
    // wizard clears its report: the HTML page and one picture per reported
    // chart, by report position.
    QStringList CreatedHtml;
    std::vector<QImage> CreatedChartPictures;

    // The preview control that shows the prepared pages; none: the pages stay in QR_Main.
    QPointer<TQRPreview> PreviewControl;

    void QR_MainPreview();
    void QR_MainStartPage();

private:
    // Places the product sign and the indices of the formula by the fonts' metrics.
    void PlaceFormulaSigns();
    std::unique_ptr<Ui::TRaport> ui_;
};

extern TRaport *Raport;
