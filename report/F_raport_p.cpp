#include "report/F_raport_p.h"

#include "app/Dazazezad.h"
#include "model/ReadFile.h"
#include "report/F_raport.h"
#include "report/F_raport_w.h"
#include "report/ReportFiles.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPageRanges>
#include <QPrinter>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

TRaport_p *Raport_p = nullptr;

static void InitReportResources() {
    Q_INIT_RESOURCE(report);
}

namespace {

// The print's progress. Once the print is ending it stays until the print
// has ended: Esc and the title bar's close do not put it away, as the
// preview stays locked until then.
class TPrintProgress : public QProgressDialog {
public:
    using QProgressDialog::QProgressDialog;
    bool Ending = false;
    void reject() override {
        if (!Ending)
            QProgressDialog::reject();
    }

protected:
    void closeEvent(QCloseEvent *event) override {
        if (Ending) {
            event->ignore();
            return;
        }
        QProgressDialog::closeEvent(event);
    }
};

const QString SaveFilter =
    QStringLiteral("Quick report file|*.qrp;*QRP|Html file|*.htm;*.HTM;*.html;*.HTML");
const QString OpenFilter =
    QStringLiteral("Quick report|*.qrp;*.QRP|HTML report|*.htm;*.HTM;*.html;*.HTML");

QString WithExtension(const QString &name, const QString &extension) {
    return QFileInfo(name).suffix().isEmpty() ? name + extension : name;
}

void CannotWrite(const QString &file, const QString &why) {
    MessageDlg(QStringLiteral("Can not write %1!\n%2").arg(QDir::toNativeSeparators(file), why),
               mtError, mbOK);
}

// The wizard's way to this preview; the preview knows its own link again.
struct PreviewLink {
    TRaport_p *Preview;
    void operator()() const { Preview->ShowReport(); }
};

} // namespace

TRaport_p::TRaport_p(QWidget *owner) : QWidget(owner) {
    InitReportResources();
    setupUi(this);
    setWindowFlags(Qt::Window);

    // The zoom field sits between the two zoom buttons.
    Edit_Zoom = new QLineEdit(QStringLiteral("100"), this);
    Edit_Zoom->setObjectName(QStringLiteral("Edit_Zoom"));
    Edit_Zoom->setToolTip(QStringLiteral("Zoom"));
    Edit_Zoom->setFixedWidth(48);
    Edit_Zoom->setEnabled(false);
    Edit_Zoom->installEventFilter(this);
    ToolBar_Preview->insertWidget(SB_Zoom_Plus, Edit_Zoom);
    for (QAction *a : {SB_QRP, SB_HTML, SB_ToMyReport, BBtn_Help, BBtn_Close}) {
        if (auto *button = qobject_cast<QToolButton *>(ToolBar_Preview->widgetForAction(a)))
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    }

    printTimer_ = new QTimer(this);
    printTimer_->setInterval(0);
    connect(printTimer_, &QTimer::timeout, this, &TRaport_p::PrintSomePages);

    zoomGroup_ = new QActionGroup(this);
    zoomGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction *a : {SB_Fit_To_Page, SB_Normal_Zoom, SB_Fit_To_Width})
        zoomGroup_->addAction(a);
    viewGroup_ = new QActionGroup(this);
    viewGroup_->addAction(SB_QRP);
    viewGroup_->addAction(SB_HTML);

    Report_Save_Dialog.Title = QStringLiteral("Save report");
    Report_Save_Dialog.Filter = SaveFilter;
    Report_Save_Dialog.Options = ofPathMustExist | ofHideReadOnly;
    Report_Open_Dialog.Title = QStringLiteral("Open results");
    Report_Open_Dialog.Filter = OpenFilter;
    Report_Open_Dialog.Options = ofFileMustExist;

    connect(SB_Fit_To_Page, &QAction::triggered, this, &TRaport_p::SB_Fit_To_PageClick);
    connect(SB_Normal_Zoom, &QAction::triggered, this, &TRaport_p::SB_Normal_ZoomClick);
    connect(SB_Fit_To_Width, &QAction::triggered, this, &TRaport_p::SB_Fit_To_WidthClick);
    connect(SB_Zoom_Minus, &QAction::triggered, this, &TRaport_p::SB_Zoom_MinusClick);
    connect(SB_Zoom_Plus, &QAction::triggered, this, &TRaport_p::SB_Zoom_PlusClick);
    connect(SB_First_Page, &QAction::triggered, this, &TRaport_p::SB_First_PageClick);
    connect(SB_Page_Befor, &QAction::triggered, this, &TRaport_p::SB_Page_BeforClick);
    connect(SB_Next_Page, &QAction::triggered, this, &TRaport_p::SB_Next_PageClick);
    connect(SB_Last_Page, &QAction::triggered, this, &TRaport_p::SB_Last_PageClick);
    connect(SB_Printer_Setup, &QAction::triggered, this, &TRaport_p::SB_Printer_SetupClick);
    connect(SB_Print_Report, &QAction::triggered, this, &TRaport_p::SB_Print_ReportClick);
    connect(SB_Save_Report, &QAction::triggered, this, &TRaport_p::SB_Save_ReportClick);
    connect(SB_Open_Report, &QAction::triggered, this, &TRaport_p::SB_Open_ReportClick);
    connect(SB_QRP, &QAction::triggered, this, &TRaport_p::SB_QRPClick);
    connect(SB_HTML, &QAction::triggered, this, &TRaport_p::SB_HTMLClick);
    connect(SB_ToMyReport, &QAction::triggered, this, &TRaport_p::SB_ToMyReportClick);
    connect(BBtn_Help, &QAction::triggered, this, &TRaport_p::BBtn_HelpClick);
    connect(BBtn_Close, &QAction::triggered, this, &TRaport_p::BBtn_CloseClick);

    // The pages the report document hands over are the report's own; a
    // loaded saved report is shown in their place and does not replace them.
    connect(QR_Preview, &TQRPreview::PagesChanged, this, [this] {
        if (!LoadedReport)
            reportPages_ = QR_Preview->Pages();
    });
    connect(Browser, &TWebBrowser::PrintFinished, this, &TRaport_p::HtmlPrintFinished);
    // The report document previews into this window.
    if (Raport)
        Raport->PreviewControl = QR_Preview;
    if (Raport_w)
        Raport_w->ShowPreview = PreviewLink{this};
}

TRaport_p::~TRaport_p() {
    if (printing_) {
        if (pagePrint_)
            pagePrint_->Cancel();
        SetPrinting(false);
    }
    // The wizard must not show a preview that is gone (nor drop another's link).
    if (Raport_w) {
        const auto *link = Raport_w->ShowPreview.target<PreviewLink>();
        if (link && link->Preview == this)
            Raport_w->ShowPreview = nullptr;
    }
    RemoveTempFiles();
    if (Raport_p == this)
        Raport_p = nullptr;
}

std::vector<QAction *> TRaport_p::QrpControls() const {
    return {SB_Printer_Setup, SB_First_Page,  SB_Page_Befor, SB_Next_Page,
            SB_Last_Page,     SB_Zoom_Plus,   SB_Zoom_Minus, nullptr /* Edit_Zoom */,
            SB_Fit_To_Width,  SB_Normal_Zoom, SB_Fit_To_Page};
}

void TRaport_p::EnableQrpControls(bool enabled) {
    for (QAction *a : QrpControls()) {
        if (a)
            a->setEnabled(enabled);
    }
    Edit_Zoom->setEnabled(enabled);
    // A loaded saved report has no printer set-up of its own.
    if (enabled && LoadedReport)
        SB_Printer_Setup->setEnabled(false);
}

void TRaport_p::ShowReport() {
    // A new report replaces a loaded saved report in the page view.
    LoadedReport.reset();
    SB_ToMyReport->setEnabled(false);
    SB_Save_Report->setEnabled(true);
    SB_Printer_Setup->setEnabled(true);
    if (isVisible()) {
        FormShow();
        raise();
        activateWindow();
    } else {
        showMaximized();
    }
    if (SB_QRP->isChecked())
        SB_QRPClick();
}

// ---- Zoom ------------------------------------------------------------------

void TRaport_p::ShowZoom() {
    Edit_Zoom->setText(QString::number(QR_Preview->Zoom()));
}

void TRaport_p::SetZoom(int zoom) {
    QR_Preview->SetZoom(zoom);
    ShowZoom();
}

void TRaport_p::SB_Fit_To_PageClick() {
    QR_Preview->ZoomToFit();
    ShowZoom();
}

void TRaport_p::SB_Normal_ZoomClick() {
    SetZoom(100);
}

void TRaport_p::SB_Fit_To_WidthClick() {
    QR_Preview->ZoomToWidth();
    ShowZoom();
}

void TRaport_p::SB_Zoom_MinusClick() {
    if (QR_Preview->Zoom() > 30)
        SetZoom(QR_Preview->Zoom() - 10);
}

void TRaport_p::SB_Zoom_PlusClick() {
    if (QR_Preview->Zoom() < 1000)
        SetZoom(QR_Preview->Zoom() + 10);
}

void TRaport_p::Edit_ZoomExit() {
    // The buttons' limits do not apply: a typed zoom, or one the buttons or
    // the fits left in the field, goes to the control as far as it can show it.
    SetZoom(TypedZoom(Edit_Zoom->text(), TQRPreview::MinZoom, TQRPreview::MaxZoom));
}

void TRaport_p::Edit_ZoomKeyDown(QKeyEvent *key) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        Edit_ZoomExit();
}

bool TRaport_p::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Edit_Zoom) {
        if (event->type() == QEvent::FocusOut)
            Edit_ZoomExit();
        else if (event->type() == QEvent::KeyPress)
            Edit_ZoomKeyDown(static_cast<QKeyEvent *>(event));
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Pages -----------------------------------------------------------------

void TRaport_p::SB_First_PageClick() {
    QR_Preview->SetPageNumber(1);
}

void TRaport_p::SB_Page_BeforClick() {
    if (QR_Preview->PageNumber() > 1)
        QR_Preview->SetPageNumber(QR_Preview->PageNumber() - 1);
}

void TRaport_p::SB_Next_PageClick() {
    // The control ignores a page beyond the last.
    QR_Preview->SetPageNumber(QR_Preview->PageNumber() + 1);
}

void TRaport_p::SB_Last_PageClick() {
    // The last page of the pages shown, whichever report they belong to.
    QR_Preview->SetPageNumber(QR_Preview->PageCount());
}

// ---- Print -----------------------------------------------------------------

void TRaport_p::SB_Printer_SetupClick() {
    if (Raport && !printing_)
        Raport->QR_Main->PrinterSetup(this);
}

void TRaport_p::SB_Print_ReportClick() {
    if (!Raport || printing_)
        return;
    // What is shown is what prints: the loaded report, or the report's pages
    // as Create made them; the browser's pages are its own.
    const bool pages = InQrpView();
    const TQRPageSet &shown = LoadedReport ? LoadedReport->QRPrinter()->Pages : reportPages_;
    TPrintOffer offer;
    offer.LastPage = pages ? shown.PageCount() : 0;
    // Both views print on the report's printer, as Printer setup left it; a
    // print to a file asks every time, so no file is replaced unseen.
    QPrinter *printer = Raport->QR_Main->PrinterToStart(this, offer);
    if (!printer)
        return;
    if (pages)
        StartPagePrint(shown, *printer);
    else
        StartHtmlPrint(*printer);
    // A page range belongs to one print; the printer, paper and copies stay.
    printer->setPrintRange(QPrinter::AllPages);
    printer->setPageRanges(QPageRanges());
}

void TRaport_p::StartPagePrint(const TQRPageSet &pages, const QPrinter &printer) {
    auto print = std::make_unique<TPagePrint>(pages, printer);
    if (!print->Start()) {
        MessageDlg(print->Error(), mtError, mbOK);
        return;
    }
    if (!print->Running())
        return; // nothing to print
    pagePrint_ = std::move(print);
    SetPrinting(true);
    ShowPrintProgress(QStringLiteral("Printing the report..."), pagePrint_->SheetCount());
    // Between slices of pages the window handles its events.
    printTimer_->start();
}

void TRaport_p::PrintSomePages() {
    if (!pagePrint_) {
        printTimer_->stop();
        return;
    }
    if (pagePrint_->Step(PrintSlice)) {
        if (pagePrint_->HandingOver())
            progress_->setLabelText(
                QStringLiteral("Sending the print to printer \"%1\"...").arg(pagePrint_->Queue()));
        else
            progress_->setLabelText(QStringLiteral("Printed %1 of %2 pages")
                                        .arg(pagePrint_->SheetsDone())
                                        .arg(pagePrint_->SheetCount()));
        progress_->setValue(pagePrint_->SheetsDone());
        return;
    }
    printTimer_->stop();
    const std::unique_ptr<TPagePrint> print = std::move(pagePrint_);
    EndPrint();
    if (!print->Succeeded() && !print->Cancelled())
        MessageDlg(print->Error(), mtError, mbOK);
}

void TRaport_p::StartHtmlPrint(const QPrinter &printer) {
    // The browser prints in its own time; the preview stays as it is meanwhile.
    SetPrinting(true);
    ShowPrintProgress(QStringLiteral("Printing the HTML page..."), 0);
    QString error;
    if (!Browser->StartPrint(printer, &error)) {
        EndPrint();
        MessageDlg(error, mtError, mbOK);
    }
}

void TRaport_p::HtmlPrintFinished(TWebBrowser::PrintEnd end, const QString &error) {
    if (!printing_ || pagePrint_)
        return;
    EndPrint();
    if (end == TWebBrowser::PrintEnd::Failed) {
        MessageDlg(error, mtError, mbOK);
    } else if (end == TWebBrowser::PrintEnd::TooLong &&
               MessageDlg(error + QStringLiteral("\nPrint the same report from the QRP view?"),
                          mtConfirmation, mbYesNo) == mrYes) {
        SB_QRPClick();
        SB_Print_ReportClick();
    }
}

void TRaport_p::ShowPrintProgress(const QString &text, int sheets) {
    progress_ = new TPrintProgress(text, QStringLiteral("Cancel"), 0, sheets, this);
    progress_->setObjectName(QStringLiteral("PrintProgress"));
    progress_->setWindowTitle(QStringLiteral("Print"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    // A print of a page or two ends before the dialog would show.
    progress_->setMinimumDuration(sheets > 0 ? 400 : 0);
    progress_->setValue(0);
    connect(progress_, &QProgressDialog::canceled, this, &TRaport_p::CancelPrint);
}

void TRaport_p::CancelPrint() {
    if (pagePrint_) {
        pagePrint_->Cancel();
        PrintSomePages();
    } else if (printing_ && progress_) {
        // The browser ends its print when it can; until then the dialog says so.
        static_cast<TPrintProgress *>(progress_)->Ending = true;
        progress_->setLabelText(QStringLiteral("Cancelling the print..."));
        progress_->setCancelButton(nullptr);
        progress_->show();
        Browser->CancelPrint();
    }
}

void TRaport_p::EndPrint() {
    SetPrinting(false);
    if (progress_) {
        progress_->disconnect(this);
        progress_->hide();
        progress_->deleteLater();
        progress_ = nullptr;
    }
}

void TRaport_p::SetPrinting(bool printing) {
    if (printing == printing_)
        return;
    printing_ = printing;
    if (printing) {
        beforePrint_.clear();
        for (QAction *a : {SB_Printer_Setup, SB_Print_Report, SB_Save_Report, SB_Open_Report,
                           SB_QRP, SB_HTML, SB_ToMyReport, BBtn_Close}) {
            beforePrint_.emplace_back(a, a->isEnabled());
            a->setEnabled(false);
        }
    } else {
        for (const auto &[action, enabled] : beforePrint_)
            action->setEnabled(enabled);
        beforePrint_.clear();
    }
    // A new report would rewrite and reload the page being printed.
    if (Raport_w)
        Raport_w->BBtn_Create->setEnabled(!printing);
}

// ---- Views -----------------------------------------------------------------

void TRaport_p::SB_QRPClick() {
    if (printing_)
        return;
    SB_QRP->setChecked(true);
    EnableQrpControls(true);
    Panel_Views->setCurrentWidget(QR_Preview);
}

QStringList TRaport_p::PageLines() const {
    if (!Raport)
        return {};
    return Raport->CreatedHtml.isEmpty() ? Raport->Memo_HTML : Raport->CreatedHtml;
}

std::vector<QImage> TRaport_p::ChartPictures() const {
    return Raport ? Raport->CreatedChartPictures : std::vector<QImage>();
}

QString TRaport_p::TempFolder() const {
    return tempDir_ ? tempDir_->path() : QString();
}

bool TRaport_p::CanCreateFile(const QString &path) {
    const QFileInfo info(path);
    if (info.exists())
        return info.isFile() && info.isWritable();
    // Try, and leave nothing behind.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.close();
    file.remove();
    return true;
}

namespace {

// A private folder for the HTML view's files, in the first of the temporary,
// cache and runtime folders where one can be made. A folder that is not
// there or not absolute is skipped: a relative template would make the
// folder in the current working directory.
std::unique_ptr<QTemporaryDir> MakePrivateFolder() {
    const QString places[] = {QDir::tempPath(),
                              QStandardPaths::writableLocation(QStandardPaths::CacheLocation),
                              QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)};
    for (const QString &place : places) {
        if (place.isEmpty() || QDir::isRelativePath(place) || !QDir().mkpath(place))
            continue;
        auto folder = std::make_unique<QTemporaryDir>(
            QDir(place).filePath(QStringLiteral("revavovaruvu-report-XXXXXX")));
        if (folder->isValid()) {
            folder->setAutoRemove(false);
            return folder;
        }
    }
    return nullptr;
}

} // namespace

bool TRaport_p::WriteTempPage(QString &page) {
    if (!tempDir_)
        tempDir_ = MakePrivateFolder();
    if (!tempDir_)
        return false;
    page = QDir(tempDir_->path()).filePath(QStringLiteral("Report.htm"));
    if (!CanCreateFile(page))
        return false;
    THtmlPageFiles files;
    files.PageFile = page;
    files.Lines = PageLines();
    files.Pictures = ChartPictures();
    files.RenamePictures = false;
    files.AskBeforeReplacing = false;
    const QStringList written = QStringList(page) + files.PictureFiles();
    const bool ok = files.Write() == THtmlPageFiles::Written;
    for (const QString &file : written) {
        if (!tempFiles_.contains(file) && QFileInfo::exists(file))
            tempFiles_ << file;
    }
    tempPageWritten_ = ok;
    tempPageLines_ = ok ? files.Lines : QStringList();
    tempPagePictures_ = ok ? files.Pictures : std::vector<QImage>();
    return ok;
}

bool TRaport_p::TempPageCurrent(QString &page) const {
    if (!tempPageWritten_ || !tempDir_)
        return false;
    page = QDir(tempDir_->path()).filePath(QStringLiteral("Report.htm"));
    // The lists share their data with the report's until it is made again.
    return QFileInfo::exists(page) && tempPageLines_ == PageLines() &&
           tempPagePictures_ == ChartPictures();
}

void TRaport_p::RemoveTempFiles() {
    for (const QString &file : std::as_const(tempFiles_))
        QFile::remove(file);
    tempFiles_.clear();
    tempPageWritten_ = false;
    tempPageLines_.clear();
    tempPagePictures_.clear();
    if (tempDir_) {
        // Only what the preview wrote goes; the folder when it is then empty.
        QDir().rmdir(tempDir_->path());
        tempDir_.reset();
    }
}

void TRaport_p::SB_HTMLClick() {
    if (printing_)
        return;
    SB_HTML->setChecked(true);
    EnableQrpControls(false);
    if (!HtmlInUserLocation) {
        QString page;
        if (TempPageCurrent(page)) {
            // Shown as it was, scrolled where it was.
            htmlPage_ = page;
            if (Browser->FileName() != page)
                Browser->Navigate(page);
        } else if (WriteTempPage(page)) {
            htmlPage_ = page;
            Browser->Navigate(page);
        } else if (MessageDlg(QStringLiteral("Can't create a temporary html file in the "
                                             "temporary, cache or runtime folder! Would you "
                                             "like to select a location for the html file "
                                             "yourself?"),
                              mtConfirmation, mbYesNo) == mrYes) {
            for (;;) {
                Report_Save_Dialog.FilterIndex = 2;
                if (!Report_Save_Dialog.Execute(this)) {
                    HtmlInUserLocation = false;
                    break;
                }
                const QString name = WithExtension(Report_Save_Dialog.FileName, ".htm");
                if (!CanCreateFile(name)) {
                    MessageDlg(QStringLiteral("Can not create %1 in selected location!")
                                   .arg(QFileInfo(name).fileName()),
                               mtError, mbOK);
                    HtmlInUserLocation = false;
                    continue;
                }
                THtmlPageFiles files;
                files.PageFile = name;
                files.Lines = PageLines();
                files.Pictures = ChartPictures();
                const THtmlPageFiles::Result result = files.Write();
                if (result == THtmlPageFiles::Written) {
                    htmlPage_ = name;
                    Browser->Navigate(name);
                    HtmlInUserLocation = true;
                    break;
                }
                HtmlInUserLocation = false;
            }
        }
    } else if (Browser->FileName() != htmlPage_) {
        Browser->Navigate(htmlPage_);
    }
    Panel_Views->setCurrentWidget(Browser);
}

// ---- Save and open ---------------------------------------------------------

bool TRaport_p::AskReplace(const QString &file) {
    return !QFileInfo::exists(file) ||
           MessageDlg(QStringLiteral("File %1 already exists.\nDo you want to replace it?")
                          .arg(QDir::toNativeSeparators(file)),
                      mtWarning, mbYesNo) == mrYes;
}

void TRaport_p::SB_Save_ReportClick() {
    if (printing_)
        return;
    Report_Save_Dialog.FilterIndex = InQrpView() ? 1 : 2;
    if (!Report_Save_Dialog.Execute(this))
        return;
    if (Report_Save_Dialog.FilterIndex != 2) {
        const QString name = WithExtension(Report_Save_Dialog.FileName, ".qrp");
        if (!AskReplace(name))
            return;
        QString error;
        if (!reportPages_.Save(name, &error))
            CannotWrite(name, error);
        return;
    }
    THtmlPageFiles files;
    files.PageFile = WithExtension(Report_Save_Dialog.FileName, ".htm");
    files.Lines = PageLines();
    files.Pictures = ChartPictures();
    files.Write();
}

void TRaport_p::SB_Open_ReportClick() {
    if (printing_)
        return;
    Report_Open_Dialog.FilterIndex = InQrpView() ? 1 : 2;
    if (!Report_Open_Dialog.Execute(this))
        return;
    const QString name = Report_Open_Dialog.FileName;
    // Refused before the view changes: the report shown stays as it was.
    if (const QString refused = CheckReadFile(name); !refused.isEmpty()) {
        MessageDlg(QStringLiteral("Can not open saved report %1!\n%2")
                       .arg(QDir::toNativeSeparators(name), refused),
                   mtError, mbOK);
        return;
    }
    if (name.endsWith(QLatin1String(".qrp")) || name.endsWith(QLatin1String(".QRP"))) {
        auto handler = std::make_unique<TQRPHandler>();
        QString error;
        if (!handler->Load(name, &error)) {
            // The view stays as it was.
            MessageDlg(QStringLiteral("Can not open saved report %1!\n%2")
                           .arg(QDir::toNativeSeparators(name), error),
                       mtError, mbOK);
            return;
        }
        LoadedReport = std::move(handler);
        QR_Preview->SetQRPrinter(LoadedReport->QRPrinter());
        SB_QRPClick();
        SB_Printer_Setup->setEnabled(false);
    } else {
        SB_HTMLClick();
        if (!Browser->Navigate(name)) {
            MessageDlg(QStringLiteral("Can not open %1!").arg(QDir::toNativeSeparators(name)),
                       mtError, mbOK);
            return;
        }
    }
    SB_ToMyReport->setEnabled(true);
    SB_Save_Report->setEnabled(false);
}

void TRaport_p::SB_ToMyReportClick() {
    if (printing_)
        return;
    SB_ToMyReport->setEnabled(false);
    SB_Save_Report->setEnabled(true);
    if (LoadedReport) {
        LoadedReport.reset();
        SB_Printer_Setup->setEnabled(true);
        // The report's own pages again, as Create made them.
        QR_Preview->SetPages(reportPages_);
        if (!InQrpView())
            SB_HTMLClick();
    } else {
        SB_HTMLClick();
    }
}

// ---- Window ----------------------------------------------------------------

void TRaport_p::BBtn_HelpClick() {
    if (Kavrel)
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::ReportPreview));
}

void TRaport_p::BBtn_CloseClick() {
    close();
}

void TRaport_p::FormShow() {
    HtmlInUserLocation = false;
    FormResize();
    if (SB_HTML->isChecked())
        SB_HTMLClick();
}

void TRaport_p::FormResize() {
    // The two views share the area under the toolbar; the layout sizes them.
}

void TRaport_p::FormClose() {
    LoadedReport.reset();
    RemoveTempFiles();
    htmlPage_.clear();
    HtmlInUserLocation = false;
    if (Raport_w)
        Raport_w->close();
}

void TRaport_p::FormKeyDown(QKeyEvent *key) {
    if (key->key() == Qt::Key_F1)
        BBtn_HelpClick();
}

bool TRaport_p::PreviewKey(QKeyEvent *event) {
    FormKeyDown(event);
    return false;
}

void TRaport_p::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TRaport_p::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TRaport_p::closeEvent(QCloseEvent *event) {
    // Closing would take the page and its files from under the print.
    if (printing_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    FormClose();
}
