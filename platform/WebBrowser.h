// The browser view: shows an HTML file as a browser does, and prints it.
// Only WebBrowser.cpp uses Qt WebEngine; a build without it (VR_WEBENGINE
// off) shows the file's text instead.
#pragma once

#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>

class QPrinter;

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
    // Prints the page shown; waits until it is printed. False (with `error`)
    // when nothing is shown or the printer fails.
    bool Print(QPrinter &printer, QString *error = nullptr);
    // True when this build shows pages through the browser engine.
    static bool ShowsHtml();
    // Runs a script in the page shown; `done` gets its result later (an
    // invalid value when this build shows no HTML).
    void RunJavaScript(const QString &script, std::function<void(const QVariant &)> done);

signals:
    void LoadFinished(bool ok);

private:
    class Impl;
    Impl *impl_;
    QString fileName_;
    bool loaded_ = false;
};
