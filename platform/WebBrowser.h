// The browser view: shows an HTML file as a browser does, and prints it.
// Only WebBrowser.cpp uses Qt WebEngine; a build without it (VR_WEBENGINE
// off) shows the file's text instead.
#pragma once

#include <QPageLayout>
#include <QPageRanges>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>

class QPagedPaintDevice;
class QPrinter;
class QProgressBar;
class QTemporaryDir;
class QTimer;
class TPrintFile;
class TQueueHandOver;
struct TQueueJob;

// Before the application object is made: what the browser engine needs of
// the process (shared GL contexts; no sandbox when running as root).
void PrepareWebBrowser();

class TWebBrowser : public QWidget {
    Q_OBJECT
public:
    explicit TWebBrowser(QWidget *parent = nullptr);
    ~TWebBrowser() override;

    // Shows the file; false when it cannot be read.
    bool Navigate(const QString &fileName);
    QString FileName() const { return fileName_; }
    // Whether the last navigation has finished loading.
    bool Loaded() const { return loaded_; }
    // How a print StartPrint began ended.
    enum class PrintEnd { Printed, Failed, Cancelled, TooLong };
    Q_ENUM(PrintEnd)
    // Starts printing the page shown with the choices of `printer` (a copy
    // prints, so `printer` need not stay); a page still loading prints once
    // it has loaded. Nothing waits meanwhile: PrintFinished tells the end.
    // A print to a file replaces the file only when it has printed; its
    // copies and order of sheets are made from the page's PDF. A print
    // on a printer queue is written as a PDF file of the pages chosen and
    // handed to the queue, which makes the copies; it has printed when the
    // queue has taken it.
    // False (with `error`) when there is no page or a print is running.
    bool StartPrint(const QPrinter &printer, QString *error = nullptr);
    bool Printing() const { return printer_ != nullptr || queueJob_ != nullptr; }
    // Cancels the print; the end comes by PrintFinished, Cancelled, once the
    // engine has made the page's PDF.
    void CancelPrint();
    // The engine lays the whole page out in its page process and paints
    // every sheet as a picture: a page of 226 sheets took 2 minutes and
    // 840 MB, and one of 2,000 ran the page process out of memory. A page
    // of more sheets than this is not printed here (TooLong).
    int MaxPrintSheets = 250;
    // The text a build without the browser engine shows prints at the
    // printer's resolution, at most this one: more costs memory and time
    // and shows nothing more.
    static constexpr int PrintResolution = 300;
    // How far the page has loaded, over the page while it loads (a long
    // page stays blank for seconds).
    QProgressBar *LoadProgressBar() const { return loadBar_; }
    // True when this build shows pages through the browser engine.
    static bool ShowsHtml();
    // Runs a script in the page shown; `done` gets its result later (an
    // invalid value when this build shows no HTML).
    void RunJavaScript(const QString &script, std::function<void(const QVariant &)> done);

signals:
    void LoadProgress(int percent);
    void LoadFinished(bool ok);
    // The end of the print StartPrint began; `error` says why it failed or
    // was not made.
    void PrintFinished(TWebBrowser::PrintEnd end, const QString &error);

private:
    void SetUpPrintWatchdog();
    // Measures the page in sheets, then prints it or refuses it.
    void PrintLoadedPage(double pageHeight);
    void MeasureThenPrint();
    // The text a build without the browser engine prints has printed.
    void TextPrinted(bool ok);
    void PageProcessEnded();
    // The engine has made the page's PDF (empty when it could not) for the
    // print `serial`.
    void PdfMade(int serial, const QByteArray &pdf);
    // The PDF file of a print on a queue is written: the queue gets it.
    void StartHandOver();
    void HandOverEnded();
    void FinishPrint(PrintEnd end, const QString &why = QString());
    // What a print that failed says: its queue, or the file it was for.
    QString CannotPrintHere() const;

    class Impl;
    Impl *impl_;
    QString fileName_;
    bool loaded_ = false;
    std::unique_ptr<QPrinter> printer_; // while a print into a file runs
    // The paper and margins of the print, and the pages of the page it
    // prints (all when empty).
    QPageLayout printLayout_;
    QPageRanges printPages_;
    std::unique_ptr<TPrintFile> file_; // the file it prints to
    // Every print of the page is made from the PDF the engine makes of it
    // in its own process (a queue makes the copies; a file gets them from
    // PrintedSheetsPdf), never by the engine painting on the printer from
    // a worker of its own: that worker crashes the program when the page's
    // process ends meanwhile.
    int printSerial_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    // A print on a queue: its job, the folder of its PDF file, the pages the
    // file holds, and the queue taking it.
    std::unique_ptr<TQueueJob> queueJob_;
    std::unique_ptr<QTemporaryDir> queueDir_;
    std::unique_ptr<TQueueHandOver> handOver_;
    // The writer of the text a build without the browser engine prints.
    std::unique_ptr<QPagedPaintDevice> textWriter_;
    QTimer *handOverPoll_ = nullptr;
    bool cancelled_ = false;
    // How long a page may take to load before its print is given up, and an
    // engine to end a cancelled print (longer than it takes to print the
    // longest page it is given).
    static constexpr int LoadWait = 60000;
    static constexpr int CancelWait = 180000;
    QTimer *printWatchdog_;
    QProgressBar *loadBar_;
};
