#include "platform/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPageRanges>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>
#include <optional>

namespace {
TDialogScript *activeScript = nullptr;

// Keeps a Yes/No box open until one of its buttons answers it: Esc and the
// window's close would otherwise answer No. A button closes the box through a
// close event too, so a close passes once a button was clicked.
class TAnswerRequired : public QObject {
public:
    explicit TAnswerRequired(QMessageBox &box) {
        box.setWindowFlags((box.windowFlags() | Qt::CustomizeWindowHint) &
                           ~Qt::WindowCloseButtonHint);
        QObject::connect(&box, &QMessageBox::buttonClicked, this, [this] { answered_ = true; });
        box.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::KeyPress)
            return static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
        if (event->type() == QEvent::Close && !answered_) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool answered_ = false;
};

// Gives the keyboard back, once a box is answered, to the window and the
// control that had it when the box was asked for: the toolkit and the window
// manager hand it to the box's parent, or to no window at all.
class TKeyboardReturn {
public:
    TKeyboardReturn()
        : window_(QApplication::activeWindow()), focus_(QApplication::focusWidget()) {}
    ~TKeyboardReturn() {
        // The answer may have closed or destroyed either of them.
        if (!window_ || !window_->isVisible())
            return;
        if (focus_ && focus_->isVisible() && focus_->isEnabled() && focus_->window() == window_)
            focus_->setFocus(Qt::ActiveWindowFocusReason);
        window_->activateWindow();
    }
    TKeyboardReturn(const TKeyboardReturn &) = delete;
    TKeyboardReturn &operator=(const TKeyboardReturn &) = delete;

private:
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
};

int FirstButton(TMsgDlgButtons buttons) {
    if (buttons & mbYes)
        return mrYes;
    if (buttons & mbOK)
        return mrOk;
    if (buttons & mbNo)
        return mrNo;
    return mrCancel;
}
} // namespace

int MessageDlg(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons, QWidget *parent) {
    if (TDialogScript *script = TDialogScript::Active())
        return script->TakeAnswer(text, type, buttons);

    const TKeyboardReturn keyboard;
    QMessageBox box(parent ? parent : QApplication::activeWindow());
    switch (type) {
    case mtWarning:
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(QObject::tr("Warning"));
        break;
    case mtError:
        box.setIcon(QMessageBox::Critical);
        box.setWindowTitle(QObject::tr("Error"));
        break;
    case mtInformation:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(QObject::tr("Information"));
        break;
    case mtConfirmation:
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(QObject::tr("Confirm"));
        break;
    case mtCustom:
        box.setIcon(QMessageBox::NoIcon);
        box.setWindowTitle(QApplication::applicationDisplayName());
        break;
    }
    box.setText(text);
    struct {
        TMsgDlgBtn button;
        QMessageBox::StandardButton standard;
        int result;
    } const map[] = {{mbYes, QMessageBox::Yes, mrYes},
                     {mbNo, QMessageBox::No, mrNo},
                     {mbOK, QMessageBox::Ok, mrOk},
                     {mbCancel, QMessageBox::Cancel, mrCancel}};
    QMessageBox::StandardButtons standard;
    for (const auto &m : map) {
        if (buttons & m.button)
            standard |= m.standard;
    }
    box.setStandardButtons(standard ? standard : QMessageBox::Ok);
    std::optional<TAnswerRequired> answerRequired;
    if ((buttons & mbYesNo) && !(buttons & (mbCancel | mbOK)))
        answerRequired.emplace(box);
    const int pressed = box.exec();
    for (const auto &m : map) {
        if (pressed == m.standard)
            return m.result;
    }
    // Escape on a box with Cancel or OK closes it as that button.
    return (buttons & mbCancel) ? mrCancel : (buttons & mbOK) ? mrOk : mrNo;
}

void ShowMessage(const QString &text, QWidget *parent) {
    MessageDlg(text, mtCustom, mbOK, parent);
}

void InstallMessageBoxSink() {
    SetMessageSink([](const QString &text, TMsgDlgType type) { MessageDlg(text, type, mbOK); });
}

QStringList NameFiltersOf(const QString &filter) {
    // Qt's dialog shows a filter's patterns as part of its text and takes
    // them from the last parentheses. So each pattern is listed once, and a
    // description that ends with a list of patterns already ("Bitmap files
    // (*.bmp)") gets the others in that list, not a second one. "*.BMP" stays
    // beside "*.bmp": a desktop's own file dialog may match case-sensitively.
    static const QRegularExpression trailingList(QStringLiteral("^(.*)\\(([^()]*)\\)\\s*$"));
    static const QRegularExpression separators(QStringLiteral("[\\s;]+"));
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts[i];
        QString head = description;
        QStringList patterns;
        if (const QRegularExpressionMatch m = trailingList.match(description); m.hasMatch()) {
            const QStringList listed = m.captured(2).split(separators, Qt::SkipEmptyParts);
            // Words in parentheses ("(old)") are part of the text, not patterns.
            const bool wildcards =
                !listed.isEmpty() &&
                std::all_of(listed.begin(), listed.end(), [](const QString &p) {
                    return p.contains(QLatin1Char('*')) || p.contains(QLatin1Char('?'));
                });
            if (wildcards) {
                head = m.captured(1).trimmed();
                patterns = listed;
            }
        }
        const qsizetype listedCount = patterns.size();
        for (const QString &pattern : parts[i + 1].split(separators, Qt::SkipEmptyParts)) {
            if (!patterns.contains(pattern))
                patterns << pattern;
        }
        if (listedCount > 0 && patterns.size() == listedCount)
            result << description;
        else
            result << QStringLiteral("%1 (%2)").arg(head, patterns.join(QLatin1Char(' ')));
    }
    return result;
}

QString WithDefaultExt(const QString &fileName, const QString &defaultExt) {
    if (defaultExt.isEmpty() || fileName.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    return fileName + QLatin1Char('.') + defaultExt;
}

int ShowModalForm(QDialog *form) {
    if (TDialogScript *script = TDialogScript::Active()) {
        form->setResult(0);
        script->PlayForm(form);
        return form->result();
    }
    return form->exec();
}

bool TFileDialog::Execute(QWidget *parent) {
    QString chosen;
    if (TDialogScript *script = TDialogScript::Active()) {
        if (!script->TakeFile(*this, chosen, &FilterIndex))
            return false;
    } else {
        QFileDialog dialog(parent ? parent : QApplication::activeWindow(), Title, InitialDir);
        dialog.setAcceptMode(save_ ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save_ || !(Options & ofFileMustExist) ? QFileDialog::AnyFile
                                                                 : QFileDialog::ExistingFile);
        if (save_ && !(Options & ofOverwritePrompt))
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        const QStringList filters = NameFiltersOf(Filter);
        dialog.setNameFilters(filters);
        if (FilterIndex >= 1 && FilterIndex <= filters.size())
            dialog.selectNameFilter(filters[FilterIndex - 1]);
        dialog.setDefaultSuffix(DefaultExt);
        if (!FileName.isEmpty())
            dialog.selectFile(FileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        chosen = dialog.selectedFiles().constFirst();
        const int index = int(filters.indexOf(dialog.selectedNameFilter()));
        if (index >= 0)
            FilterIndex = index + 1;
    }
    FileName = WithDefaultExt(chosen, DefaultExt);
    InitialDir = QFileInfo(FileName).absolutePath();
    return true;
}

TDialogScript::TDialogScript() : previous_(activeScript) {
    activeScript = this;
}

TDialogScript::~TDialogScript() {
    activeScript = previous_;
}

TDialogScript *TDialogScript::Active() {
    return activeScript;
}

TRealDialogs::TRealDialogs() : paused_(activeScript) {
    activeScript = nullptr;
}

TRealDialogs::~TRealDialogs() {
    activeScript = paused_;
}

void TDialogScript::Answer(int modalResult, const QString &expectedText) {
    answers_.push_back(Queued{modalResult, expectedText});
}

void TDialogScript::ChooseFile(const QString &fileName, int filterIndex) {
    files_.push_back(FileAnswer{fileName, filterIndex});
}

int TDialogScript::TakeAnswer(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons) {
    Shown.append(Message{text, type, buttons});
    if (answers_.empty()) {
        Unexpected << text;
        return FirstButton(buttons);
    }
    const Queued next = answers_.front();
    answers_.pop_front();
    if (!next.Text.isNull() && next.Text != text)
        Unexpected << QStringLiteral("expected \"%1\", shown \"%2\"").arg(next.Text, text);
    return next.Result;
}

bool TDialogScript::TakeFile(const TFileDialog &dialog, QString &fileName, int *filterIndex) {
    Dialogs.push_back(dialog);
    if (files_.empty())
        return false;
    const FileAnswer next = files_.front();
    files_.pop_front();
    fileName = next.Name;
    if (filterIndex && next.FilterIndex > 0 && !fileName.isEmpty())
        *filterIndex = next.FilterIndex;
    return !fileName.isEmpty();
}

void TDialogScript::AnswerForm(const QString &formName, std::function<void(QDialog *form)> action) {
    forms_.push_back(QueuedForm{formName, std::move(action)});
}

bool TDialogScript::PlayForm(QDialog *form) {
    const QString name = form->objectName();
    Forms << name;
    if (forms_.empty()) {
        Unexpected << QStringLiteral("form %1 opened without an answer").arg(name);
        return false;
    }
    QueuedForm next = std::move(forms_.front());
    forms_.pop_front();
    if (next.Name != name) {
        Unexpected << QStringLiteral("expected form %1, opened %2").arg(next.Name, name);
        return false;
    }
    form->show();
    next.Action(form);
    // A form its answer left open would wait for a user who is not there.
    if (form->isVisible()) {
        Unexpected << QStringLiteral("form %1 left open").arg(name);
        form->hide();
    }
    return true;
}

bool TDialogScript::TakePrinterAnswer(std::deque<PrinterAnswer> &queue, const QString &what,
                                      QPrinter &printer) {
    if (queue.empty()) {
        Unexpected << what;
        return false;
    }
    PrinterAnswer next = std::move(queue.front());
    queue.pop_front();
    if (next.Accept && next.Change)
        next.Change(printer);
    return next.Accept;
}

bool TDialogScript::TakePrinterSetup(QPrinter &printer) {
    ++PrinterSetups;
    return TakePrinterAnswer(printers_, QStringLiteral("printer set-up"), printer);
}

void TDialogScript::SetUpPrinter(bool accept, std::function<void(QPrinter &)> change) {
    printers_.push_back(PrinterAnswer{accept, std::move(change)});
}

bool TDialogScript::TakePrint(QPrinter &printer, const TPrintOffer &offer) {
    ++PrintDialogs;
    LastPrintOffer = offer;
    return TakePrinterAnswer(prints_, QStringLiteral("print dialog"), printer);
}

void TDialogScript::AnswerPrint(bool accept, std::function<void(QPrinter &)> change) {
    prints_.push_back(PrinterAnswer{accept, std::move(change)});
}

namespace {

// On a CUPS printer Qt's print dialog offers a range of pages even when the
// print does not ask for one, for the server to print; a print that lays
// its pages out itself, or cannot print a range, would print every page.
// Where no range is offered, the dialog shows none.
class THideRange : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Show) {
            if (auto *range = watched->findChild<QWidget *>(QStringLiteral("gbPrintRange")))
                range->hide();
        }
        return false;
    }
};

bool ScriptAnswersPrints() {
    const TDialogScript *script = TDialogScript::Active();
    return script && !script->RealPrintDialogs;
}

// Shows the dialog for `printer` offering pages 1 to `lastPage` (none when
// 0) besides `options`.
bool RunPrintDialog(QPrintDialog &dialog, QPrinter &printer,
                    QAbstractPrintDialog::PrintDialogOptions options, int lastPage) {
    if (lastPage > 0) {
        options |= QAbstractPrintDialog::PrintPageRange;
        dialog.setMinMax(1, lastPage);
    } else {
        // A range left from an earlier choice is not shown, so not printed.
        printer.setPrintRange(QPrinter::AllPages);
        printer.setPageRanges(QPageRanges());
        dialog.installEventFilter(new THideRange(&dialog));
    }
    dialog.setOptions(options);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

bool PrinterSetupDlg(QPrinter &printer, QWidget *parent, int lastPage) {
    if (ScriptAnswersPrints())
        return TDialogScript::Active()->TakePrinterSetup(printer);
    // The choice of printer, paper, orientation and copies, kept for the
    // prints that follow; a page range is the next print's.
    QPrintDialog dialog(&printer, parent ? parent : QApplication::activeWindow());
    dialog.setWindowTitle(QObject::tr("Printer setup"));
    // Accepting stores the choice; nothing prints, so the button says so.
    for (QDialogButtonBox *box : dialog.findChildren<QDialogButtonBox *>()) {
        if (QPushButton *ok = box->button(QDialogButtonBox::Ok))
            ok->setText(QObject::tr("OK"));
    }
    return RunPrintDialog(dialog, printer,
                          QAbstractPrintDialog::PrintToFile |
                              QAbstractPrintDialog::PrintShowPageSize |
                              QAbstractPrintDialog::PrintCollateCopies,
                          lastPage);
}

bool PrintDlg(QPrinter &printer, QWidget *parent, const TPrintOffer &offer) {
    if (ScriptAnswersPrints())
        return TDialogScript::Active()->TakePrint(printer, offer);
    QPrintDialog dialog(&printer, parent ? parent : QApplication::activeWindow());
    QAbstractPrintDialog::PrintDialogOptions options =
        QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize;
    if (offer.Collate)
        options |= QAbstractPrintDialog::PrintCollateCopies;
    return RunPrintDialog(dialog, printer, options, offer.LastPage);
}
