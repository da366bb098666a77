// The browser view: shows an HTML file as a browser does, and prints it.
// Only WebBrowser.cpp uses Qt WebEngine; a build without it (VR_WEBENGINE
// off) shows the file's text instead.
#pragma once

#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>

class QPrinter;
class QTimer;

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
    // Starts printing the page shown with the choices of `printer` (a copy
    // prints, so `printer` need not stay); a page still loading prints once
    // it has loaded. Nothing waits meanwhile: PrintFinished tells the end.
    // False (with `error`) when there is no page or a print is running.
    bool StartPrint(const QPrinter &printer, QString *error = nullptr);
    bool Printing() const { return printer_ != nullptr; }
    // The engine prints its page as a picture at the printer's resolution,
    // at most this one: more costs memory and time and shows nothing more.
    static constexpr int PrintResolution = 300;
    // True when this build shows pages through the browser engine.
    static bool ShowsHtml();
    // Runs a script in the page shown; `done` gets its result later (an
    // invalid value when this build shows no HTML).
    void RunJavaScript(const QString &script, std::function<void(const QVariant &)> done);

signals:
    void LoadFinished(bool ok);
    // The end of the print StartPrint began; `error` says why it failed.
    void PrintFinished(bool ok, const QString &error);

private:
    void SetUpPrintWatchdog();
    void PrintLoadedPage();
    void GiveUpPrint();
    void FinishPrint(bool ok, const QString &why = QString());

    class Impl;
    Impl *impl_;
    QString fileName_;
    bool loaded_ = false;
    std::unique_ptr<QPrinter> printer_; // while a print runs
    QTimer *printWatchdog_;
};
