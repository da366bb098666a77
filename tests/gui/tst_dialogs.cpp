// The message-box and file-dialog layer, answered from a script.
#include "platform/Colors.h"
#include "platform/Dialogs.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest>

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void scriptedMessages();
    void modelMessagesReachTheScript();
    void scriptedFileDialogs();
    void filters_data();
    void filters();
    void colours();
    void printerDialogsOffer_data();
    void printerDialogsOffer();
    void boxesAnsweredByKeys_data();
    void boxesAnsweredByKeys();
};

void TestDialogs::scriptedMessages() {
    TDialogScript script;
    script.Answer(mrYes, QStringLiteral("Continue?"));
    script.Answer(mrNo);
    QCOMPARE(MessageDlg(QStringLiteral("Continue?"), mtWarning, mbYesNo), int(mrYes));
    QCOMPARE(MessageDlg(QStringLiteral("Again?"), mtWarning, mbYesNo), int(mrNo));
    QVERIFY(script.Unexpected.isEmpty());
    // Nothing queued: recorded as unexpected, answered with the first button.
    QCOMPARE(MessageDlg(QStringLiteral("Surprise"), mtError, mbOK), int(mrOk));
    QCOMPARE(script.Unexpected, QStringList{QStringLiteral("Surprise")});
    QCOMPARE(script.Shown.size(), 3);
    QCOMPARE(script.Shown[2].Type, mtError);
    // A queued answer for another text is a failure too.
    script.Answer(mrOk, QStringLiteral("Expected"));
    MessageDlg(QStringLiteral("Other"), mtInformation, mbOK);
    QCOMPARE(script.Unexpected.size(), 2);
}

void TestDialogs::modelMessagesReachTheScript() {
    TDialogScript script;
    InstallMessageBoxSink();
    script.Answer(mrOk, QStringLiteral("Can't calculate factor K"));
    ShowModelMessage(QStringLiteral("Can't calculate factor K"), mtError);
    QCOMPARE(script.Shown.size(), 1);
    QVERIFY(script.Unexpected.isEmpty());
}

void TestDialogs::scriptedFileDialogs() {
    TDialogScript script;
    script.ChooseFile(QStringLiteral("/tmp/problem"));
    script.ChooseFile(QString());
    TSaveDialog save;
    save.DefaultExt = QStringLiteral("xml");
    save.Title = QStringLiteral("Save problem");
    QVERIFY(save.Execute());
    QCOMPARE(save.FileName, QStringLiteral("/tmp/problem.xml"));
    QCOMPARE(save.InitialDir, QStringLiteral("/tmp"));
    TOpenDialog open;
    QVERIFY(!open.Execute());
    QCOMPARE(script.Dialogs.size(), size_t(2));
    QCOMPARE(script.Dialogs[0].Title, QStringLiteral("Save problem"));
}

void TestDialogs::filters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("two") << "Problem files|*.xml|All files|*.*"
                         << QStringList{"Problem files (*.xml)", "All files (*.*)"};
    QTest::newRow("several patterns")
        << "Old files|*.fun;*.crt" << QStringList{"Old files (*.fun *.crt)"};
    QTest::newRow("dangling description")
        << "Pictures|*.bmp|Broken" << QStringList{"Pictures (*.bmp)"};
    QTest::newRow("description lists its patterns")
        << "Bitmap files (*.bmp)|*.BMP|Metafile files (*.wmf)|*.WMF"
        << QStringList{"Bitmap files (*.bmp *.BMP)", "Metafile files (*.wmf *.WMF)"};
    QTest::newRow("description lists all of them")
        << "Pictures (*.bmp *.BMP)|*.BMP;*.bmp" << QStringList{"Pictures (*.bmp *.BMP)"};
    QTest::newRow("description lists some of them")
        << "Pictures (*.bmp)|*.bmp;*.dib" << QStringList{"Pictures (*.bmp *.dib)"};
    QTest::newRow("case variants and spaces")
        << "Kavrel file|*.fun; *.FUN;*.crt;*.CRT; *.xml;*.XML;*.xml"
        << QStringList{"Kavrel file (*.fun *.FUN *.crt *.CRT *.xml *.XML)"};
    QTest::newRow("words in parentheses are no patterns")
        << "Files (old)|*.fun" << QStringList{"Files (old) (*.fun)"};
}

void TestDialogs::filters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, names);
    QCOMPARE(NameFiltersOf(filter), names);
    QCOMPARE(WithDefaultExt("a.fun", "xml"), QStringLiteral("a.fun"));
    QCOMPARE(WithDefaultExt("a", "xml"), QStringLiteral("a.xml"));
}

void TestDialogs::colours() {
    QCOMPARE(ToQColor(clRed), QColor(255, 0, 0));
    QCOMPARE(ToQColor(0x00336699), QColor(0x99, 0x66, 0x33));
    QCOMPARE(FromQColor(QColor(0x99, 0x66, 0x33)), TColor(0x00336699));
}

void TestDialogs::printerDialogsOffer_data() {
    QTest::addColumn<bool>("setUp");
    QTest::addColumn<int>("lastPage");
    QTest::newRow("printer setup") << true << 0;
    QTest::newRow("print of five pages") << false << 5;
    QTest::newRow("print without pages") << false << 0;
}

void TestDialogs::printerDialogsOffer() {
    // The real dialogs: what they offer, and a set-up that prints nothing
    // does not say "Print".
    QFETCH(bool, setUp);
    QFETCH(int, lastPage);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        dialog->reject(); // first: a failed check below must not leave it open
        const bool ranges = dialog->testOption(QAbstractPrintDialog::PrintPageRange);
        QCOMPARE(ranges, lastPage > 0);
        if (ranges) {
            QCOMPARE(dialog->minPage(), 1);
            QCOMPARE(dialog->maxPage(), lastPage);
        }
        QVERIFY(dialog->testOption(QAbstractPrintDialog::PrintCollateCopies));
        auto *buttons = dialog->findChild<QDialogButtonBox *>();
        QVERIFY(buttons && buttons->button(QDialogButtonBox::Ok));
        const QString text = buttons->button(QDialogButtonBox::Ok)->text();
        QCOMPARE(text.contains(QStringLiteral("Print"), Qt::CaseInsensitive), !setUp);
    });
    const bool accepted = setUp ? PrinterSetupDlg(printer) : PrintDlg(printer, nullptr, {lastPage});
    QVERIFY(seen);
    QVERIFY(!accepted);
}

void TestDialogs::boxesAnsweredByKeys_data() {
    QTest::addColumn<unsigned>("buttons");
    QTest::addColumn<QString>("keys"); // played in order; "close" is the window manager's close
    QTest::addColumn<int>("answer");
    // A Yes/No box is answered by its buttons only: Esc and the close do nothing.
    QTest::newRow("yes/no: Esc, then Yes") << unsigned(mbYesNo) << "Esc Y" << int(mrYes);
    QTest::newRow("yes/no: Esc, then No") << unsigned(mbYesNo) << "Esc N" << int(mrNo);
    QTest::newRow("yes/no: close, then Y") << unsigned(mbYesNo) << "close Y" << int(mrYes);
    QTest::newRow("yes/no: Enter") << unsigned(mbYesNo) << "Enter" << int(mrYes);
    QTest::newRow("yes/no: Esc, then Alt+Y") << unsigned(mbYesNo) << "Esc Alt+Y" << int(mrYes);
    QTest::newRow("yes/no/cancel: Esc") << unsigned(mbYesNo | mbCancel) << "Esc" << int(mrCancel);
    QTest::newRow("ok: Esc") << unsigned(mbOK) << "Esc" << int(mrOk);
}

void TestDialogs::boxesAnsweredByKeys() {
    QFETCH(unsigned, buttons);
    QFETCH(QString, keys);
    QFETCH(int, answer);
    bool closeButton = true;
    QTimer::singleShot(0, [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        closeButton = box->windowFlags().testFlag(Qt::WindowCloseButtonHint);
        for (const QString &key : keys.split(QLatin1Char(' '))) {
            if (!box->isVisible())
                break; // answered too early: the box returns what it was answered
            if (key == QLatin1String("close"))
                box->windowHandle()->close();
            else if (key == QLatin1String("Esc"))
                QTest::keyClick(box, Qt::Key_Escape);
            else if (key == QLatin1String("Enter"))
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
            else if (key.startsWith(QLatin1String("Alt+")))
                QTest::keyClick(box, key.back().toLatin1(), Qt::AltModifier);
            else
                QTest::keyClick(box, key.at(0).toLatin1());
            // A letter clicks its button with an animation: give it the time.
            (void)QTest::qWaitFor([box] { return !box->isVisible(); }, 500);
        }
        // Left open: the box's last button answers it, and the comparison below tells.
        if (box->isVisible())
            box->findChildren<QPushButton *>().constLast()->click();
    });
    QCOMPARE(MessageDlg(QStringLiteral("Save changes?"), mtConfirmation, buttons), answer);
    QCOMPARE(closeButton, buttons != unsigned(mbYesNo));
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
