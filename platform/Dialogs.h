// Message boxes and file dialogs. Every window of the program asks through
// these, so that a test can answer them from a script instead of a person.
#pragma once

#include "model/Messages.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

class QDialog;
class QPrinter;
class QWidget;

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbOKOnly = mbOK;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;

// Shows a modal message box (mtCustom: a plain one without icon) and returns
// the button pressed as a modal result.
int MessageDlg(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons,
               QWidget *parent = nullptr);
// A plain message with OK.
void ShowMessage(const QString &text, QWidget *parent = nullptr);
// Routes the model's messages to message boxes with OK.
void InstallMessageBoxSink();

// Shows a modal form and returns its result. Under a script the form is shown
// without an event loop of its own and the answer queued for it plays the user.
int ShowModalForm(QDialog *form);

// File dialogs in the program's terms: Filter is "Description|*.ext|...";
// FilterIndex counts from 1; DefaultExt has no dot.
enum TOpenOption : unsigned {
    ofOverwritePrompt = 1,
    ofFileMustExist = 2,
    ofPathMustExist = 4,
    ofHideReadOnly = 8,
};

class TFileDialog {
public:
    QString Title;
    QString Filter;
    int FilterIndex = 1;
    QString DefaultExt;
    QString InitialDir;
    QString FileName;
    unsigned Options = 0;

    // True when the user chose a name; it is then in FileName.
    bool Execute(QWidget *parent = nullptr);

protected:
    explicit TFileDialog(bool save) : save_(save) {}

private:
    bool save_;
};

class TOpenDialog : public TFileDialog {
public:
    TOpenDialog() : TFileDialog(false) {}
};

class TSaveDialog : public TFileDialog {
public:
    TSaveDialog() : TFileDialog(true) {}
};

// "Description|*.a;*.b|All|*.*" as Qt name filters: "Description (*.a *.b)";
// each pattern once, whatever its case.
QStringList NameFiltersOf(const QString &filter);
// The name with DefaultExt appended when it has no extension of its own.
QString WithDefaultExt(const QString &fileName, const QString &defaultExt);

// The printer set-up dialog for `printer`: it stores the choice of printer,
// paper and copies without printing, and a range of the pages 1 to
// `lastPage` (none offered when 0) for the next print; true when the user
// accepted it.
bool PrinterSetupDlg(QPrinter &printer, QWidget *parent = nullptr, int lastPage = 0);
// What a print dialog offers besides the printer, the paper and copies: a
// range of pages from 1 to LastPage (none when 0), and collated copies.
// A print offers only what it honours.
struct TPrintOffer {
    int LastPage = 0;
    bool Collate = true;
};
// The print dialog for `printer`, filled with its last choice; true when the
// user chose to print.
bool PrintDlg(QPrinter &printer, QWidget *parent = nullptr, const TPrintOffer &offer = {});

// Scripted answers for tests. While a script is active, no window opens:
// each message box takes the next queued answer, each file dialog the next
// queued file name (an empty name cancels). Every message shown is recorded;
// one that finds no queued answer is recorded as unexpected and answered
// with the box's first button.
class TDialogScript {
public:
    struct Message {
        QString Text;
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
    };

    TDialogScript();
    ~TDialogScript();
    TDialogScript(const TDialogScript &) = delete;
    TDialogScript &operator=(const TDialogScript &) = delete;

    static TDialogScript *Active();

    // Queue the answer to the next message box; with a text, the box must show that text.
    void Answer(int modalResult, const QString &expectedText = QString());
    // Queue the name the next file dialog returns; empty: the user cancels.
    // A filter index (from 1) is the filter the user picked; 0 keeps the dialog's.
    void ChooseFile(const QString &fileName, int filterIndex = 0);
    // Queue what the user does in the next modal form, named by its objectName:
    // the form is shown, the action runs with it and must leave it closed.
    void AnswerForm(const QString &formName, std::function<void(QDialog *form)> action);
    // Queue the answer to the next printer set-up: accepted after `change`
    // has set the printer up (say, to print into a PDF file), or cancelled.
    void SetUpPrinter(bool accept, std::function<void(QPrinter &)> change = {});
    // The same for the next print dialog: the user prints after `change`, or cancels.
    void AnswerPrint(bool accept, std::function<void(QPrinter &)> change = {});

    // The printer set-up and print dialogs are Qt's own, shown for the test
    // to answer, not answered from the queue.
    bool RealPrintDialogs = false;

    QList<Message> Shown;             // every message box, in order
    QStringList Unexpected;           // messages without a queued answer, or with another text
    std::vector<TFileDialog> Dialogs; // the file dialogs as they were asked for
    QStringList Forms;                // the modal forms opened, by name, in order
    int PrinterSetups = 0;            // printer set-up dialogs asked for
    int PrintDialogs = 0;             // print dialogs asked for
    TPrintOffer LastPrintOffer;       // what the last print dialog offered

    // Answers still queued when the test ended.
    int PendingAnswers() const { return int(answers_.size()); }
    int PendingFiles() const { return int(files_.size()); }
    int PendingForms() const { return int(forms_.size()); }
    int PendingPrinterSetups() const { return int(printers_.size()); }
    int PendingPrintDialogs() const { return int(prints_.size()); }

    // Used by the dialog layer.
    int TakeAnswer(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons);
    bool TakeFile(const TFileDialog &dialog, QString &fileName, int *filterIndex = nullptr);
    // Plays the queued answer on the form; false when none was queued for it.
    bool PlayForm(QDialog *form);
    bool TakePrinterSetup(QPrinter &printer);
    bool TakePrint(QPrinter &printer, const TPrintOffer &offer);

private:
    struct Queued {
        int Result;
        QString Text;
    };
    std::deque<Queued> answers_;
    struct FileAnswer {
        QString Name;
        int FilterIndex;
    };
    std::deque<FileAnswer> files_;
    struct QueuedForm {
        QString Name;
        std::function<void(QDialog *)> Action;
    };
    std::deque<QueuedForm> forms_;
    struct PrinterAnswer {
        bool Accept;
        std::function<void(QPrinter &)> Change;
    };
    std::deque<PrinterAnswer> printers_;
    std::deque<PrinterAnswer> prints_;
    // The next answer of a printer dialog's queue, played on the printer.
    bool TakePrinterAnswer(std::deque<PrinterAnswer> &queue, const QString &what,
                           QPrinter &printer);
    TDialogScript *previous_;
};

// While one lives, message boxes and dialogs open for real although a script
// is active: for tests that answer a real box with real keys.
class TRealDialogs {
public:
    TRealDialogs();
    ~TRealDialogs();
    TRealDialogs(const TRealDialogs &) = delete;
    TRealDialogs &operator=(const TRealDialogs &) = delete;

private:
    TDialogScript *paused_;
};
