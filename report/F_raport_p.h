// The report preview: the prepared pages of the report document, or its HTML
// page in the browser view, in one place; zoom and paging, print, printer
// set-up, saving as a saved report or as HTML with JPEG chart pictures,
// opening saved reports and pages again.
#pragma once

#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Report.h"
#include "platform/WebBrowser.h"
#include "ui_F_raport_p.h"

#include <QImage>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

class QActionGroup;
class QLineEdit;
class QProgressDialog;
class QTimer;
class QTemporaryDir;

class TRaport_p : public QWidget, public Ui::TRaport_p, public TKeyPreview {
    Q_OBJECT
public:
    explicit TRaport_p(QWidget *owner = nullptr);
    ~TRaport_p() override;

    // The HTML view has been written to a place the user chose.
    bool HtmlInUserLocation = false;
    // A report opened from a saved-report file.
    std::unique_ptr<TQRPHandler> LoadedReport;

    QLineEdit *Edit_Zoom;
    TSaveDialog Report_Save_Dialog;
    TOpenDialog Report_Open_Dialog;

    // The eleven controls of the page view.
    std::vector<QAction *> QrpControls() const;

    void SB_Fit_To_PageClick();
    void SB_Normal_ZoomClick();
    void SB_Fit_To_WidthClick();
    void SB_Zoom_MinusClick();
    void SB_Zoom_PlusClick();
    void Edit_ZoomExit();
    void Edit_ZoomKeyDown(QKeyEvent *key);
    void SB_First_PageClick();
    void SB_Page_BeforClick();
    void SB_Next_PageClick();
    void SB_Last_PageClick();
    void SB_Printer_SetupClick();
    void SB_Print_ReportClick();
    void SB_Save_ReportClick();
    void SB_Open_ReportClick();
    void SB_QRPClick();
    void SB_HTMLClick();
    void SB_ToMyReportClick();
    void BBtn_HelpClick();
    void BBtn_CloseClick();
    void FormShow();
    void FormResize();
    void FormClose();
    void FormKeyDown(QKeyEvent *key);

    // Shows the report the wizard has just built (the wizard's ShowPreview).
    void ShowReport();

    // A print is running, in either view: until it ends only Help works, and
    // the preview does not close nor the wizard create.
    bool Printing() const { return printing_; }
    // The running print's progress (null when none runs): pages printed of
    // pages, or busy while the browser prints; its Cancel cancels the print.
    QProgressDialog *PrintProgress() const { return progress_; }

    // Whether a file may be written: an existing one is tested for writing,
    // a new one is created and removed again.
    static bool CanCreateFile(const QString &path);

    // The private folder of the HTML view's own files (empty until the
    // first HTML view), and the files the preview wrote there.
    QString TempFolder() const;
    QStringList TempFiles() const { return tempFiles_; }

    // What the preview shows and writes: the page text and the chart
    // pictures of the report as its Create made them.
    QStringList PageLines() const;
    std::vector<QImage> ChartPictures() const;
    // The pages of the report document (not of a loaded saved report).
    const TQRPageSet &ReportPages() const { return reportPages_; }

protected:
    bool PreviewKey(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void EnableQrpControls(bool enabled);
    void SetPrinting(bool printing);
    void StartPagePrint(const TQRPageSet &pages, const QPrinter &printer);
    void PrintSomePages();
    void StartHtmlPrint(const QPrinter &printer);
    void HtmlPrintFinished(TWebBrowser::PrintEnd end, const QString &error);
    void ShowPrintProgress(const QString &text, int sheets);
    void CancelPrint();
    void EndPrint();
    void ShowZoom();
    void SetZoom(int zoom);
    bool InQrpView() const { return SB_QRP->isChecked(); }
    // Writes the view's page and pictures into the private folder.
    bool WriteTempPage(QString &page);
    // Whether the private folder's page is still the report's (`page` names it).
    bool TempPageCurrent(QString &page) const;
    void RemoveTempFiles();
    bool AskReplace(const QString &file);

    QActionGroup *zoomGroup_;
    QActionGroup *viewGroup_;
    std::unique_ptr<QTemporaryDir> tempDir_;
    QStringList tempFiles_;
    TQRPageSet reportPages_;
    QString htmlPage_; // the report's page as last written for the HTML view
    // What the private folder's page was written from: a report that has not
    // changed is shown again as the browser has it, not written or loaded again.
    QStringList tempPageLines_;
    std::vector<QImage> tempPagePictures_;
    bool tempPageWritten_ = false;
    bool printing_ = false;
    std::unique_ptr<TPagePrint> pagePrint_; // the pages being printed
    QTimer *printTimer_;                    // prints the next pages between events
    QProgressDialog *progress_ = nullptr;
    // How long the pages print before the window handles its events again.
    static constexpr int PrintSlice = 40;
    // The commands a print disabled, with what they were before it.
    std::vector<std::pair<QAction *, bool>> beforePrint_;
};

extern TRaport_p *Raport_p;
