// The report's HTML page as the browser view renders it (every text block at
// its place, none under a picture, the pictures found), and the private
// folder the HTML view writes it to.
#include "ReportFixture.h"
#include "platform/WebBrowser.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStackedWidget>
#include <optional>

namespace {

// Every text block (the paragraph of a positioned division), picture and
// table of the page shown, with their boxes on the page; a block's ink is
// where the browser's glyphs of its text reach, measured in the font (and
// fallback font) it draws them with, from the text's start on its baseline.
const char *const BoxesScript = R"(
(function () {
  function box(e) {
    var r = e.getBoundingClientRect();
    return [r.left + scrollX, r.top + scrollY, r.right + scrollX, r.bottom + scrollY];
  }
  var canvas = document.createElement('canvas').getContext('2d');
  function ink(p) {
    var mark = document.createElement('span');
    mark.style.display = 'inline-block';
    p.appendChild(mark);
    var baseline = mark.getBoundingClientRect().bottom + scrollY;
    p.removeChild(mark);
    var start = p.getBoundingClientRect().left + scrollX;
    canvas.font = getComputedStyle(p).font;
    var m = canvas.measureText(p.textContent);
    return [start - m.actualBoundingBoxLeft, baseline - m.actualBoundingBoxAscent,
            start + m.actualBoundingBoxRight, baseline + m.actualBoundingBoxDescent];
  }
  var page = { url: location.href, ready: document.readyState === 'complete',
               blocks: [], pictures: [], tables: [] };
  document.querySelectorAll('div').forEach(function (d) {
    var p = d.querySelector('p');
    if (p)
      page.blocks.push({ text: p.textContent, left: parseFloat(d.style.left),
                         top: parseFloat(d.style.top), box: box(p), ink: ink(p) });
  });
  document.querySelectorAll('img').forEach(function (i) {
    page.pictures.push({ loaded: i.complete && i.naturalWidth > 0, box: box(i) });
  });
  document.querySelectorAll('table').forEach(function (t) { page.tables.push(box(t)); });
  return JSON.stringify(page);
})()
)";

QRectF BoxOf(const QJsonValue &value) {
    const QJsonArray a = value.toArray();
    return QRectF(QPointF(a[0].toDouble(), a[1].toDouble()),
                  QPointF(a[2].toDouble(), a[3].toDouble()));
}

bool Overlap(const QRectF &a, const QRectF &b) {
    const QRectF both = a.intersected(b);
    return both.width() > 0.5 && both.height() > 0.5;
}

// What the private folder depends on; each test gets them back as they were.
const char *const Variables[3] = {"TMPDIR", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"};

void SetEnvironment(const char *name, const QString &value) {
    qputenv(name, QFile::encodeName(value));
}

} // namespace

class TestReportHtml : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pageShowsEveryBlockAtItsPlace();
    void privateFolder_data();
    void privateFolder();

private:
    // Waits for the browser to show `file` and reads back its boxes (none
    // when it does not within a minute).
    QJsonObject Boxes(const QString &file);
    // Checks a page of `criteria` charts as rendered.
    void CheckPage(const QJsonObject &page, int criteria);
    // Checks the product sign of the general formula against its neighbours.
    void CheckFormulaSign(const QJsonObject &page);

    std::unique_ptr<TPreviewFixture> fixture_;
    QString workingDir_;
    std::optional<QByteArray> environment_[3];
};

void TestReportHtml::init() {
    for (int i = 0; i < 3; ++i) {
        environment_[i].reset();
        if (qEnvironmentVariableIsSet(Variables[i]))
            environment_[i] = qgetenv(Variables[i]);
    }
    workingDir_ = QDir::currentPath();
    fixture_ = std::make_unique<TPreviewFixture>();
}

void TestReportHtml::cleanup() {
    fixture_->Finish();
    fixture_.reset();
    QDir::setCurrent(workingDir_);
    for (int i = 0; i < 3; ++i) {
        if (environment_[i])
            qputenv(Variables[i], *environment_[i]);
        else
            qunsetenv(Variables[i]);
    }
}

QJsonObject TestReportHtml::Boxes(const QString &file) {
    TWebBrowser *browser = Raport_p->Browser;
    const QString url = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    // Asked again until the page shown is the file, loaded with its pictures.
    QJsonObject page;
    QElapsedTimer watchdog;
    watchdog.start();
    while (watchdog.elapsed() < 60000) {
        if (browser->FileName() == file && browser->Loaded()) {
            // The answer may come after the wait gave up: it must not reach this frame.
            auto answer = std::make_shared<std::optional<QVariant>>();
            browser->RunJavaScript(QLatin1String(BoxesScript),
                                   [answer](const QVariant &result) { *answer = result; });
            QElapsedTimer wait;
            wait.start();
            while (!answer->has_value() && wait.elapsed() < 30000)
                QTest::qWait(20);
            if (answer->has_value()) {
                page = QJsonDocument::fromJson((*answer)->toString().toUtf8()).object();
                if (page[QLatin1String("url")].toString() == url &&
                    page[QLatin1String("ready")].toBool())
                    return page;
            }
        }
        QTest::qWait(50);
    }
    qWarning("last answer: %s", QJsonDocument(page).toJson().constData());
    return {};
}

void TestReportHtml::CheckPage(const QJsonObject &page, int criteria) {
    const QJsonArray blocks = page[QLatin1String("blocks")].toArray();
    const QJsonArray pictures = page[QLatin1String("pictures")].toArray();
    const QJsonArray tables = page[QLatin1String("tables")].toArray();
    QCOMPARE(pictures.size(), criteria);
    QCOMPARE(tables.size(), 2);
    QList<QRectF> pictureBoxes;
    for (const QJsonValue &picture : pictures) {
        QVERIFY2(picture[QLatin1String("loaded")].toBool(), "a chart picture is missing");
        pictureBoxes << BoxOf(picture[QLatin1String("box")]);
        QCOMPARE(pictureBoxes.back().size(), QSizeF(300, 190));
    }
    // Each criterion's first row has ten blocks; the title, the section
    // captions, methods and descriptions come on top.
    QVERIFY(blocks.size() > 10 * criteria);
    for (const QJsonValue &block : blocks) {
        const QString text = block[QLatin1String("text")].toString();
        const QRectF box = BoxOf(block[QLatin1String("box")]);
        // A positioned division's text starts at the division's place.
        QVERIFY2(qAbs(box.top() - block[QLatin1String("top")].toDouble()) < 0.5 &&
                     qAbs(box.left() - block[QLatin1String("left")].toDouble()) < 0.5,
                 qPrintable(QStringLiteral("\"%1\" is at %2, %3 instead of %4, %5")
                                .arg(text)
                                .arg(box.left())
                                .arg(box.top())
                                .arg(block[QLatin1String("left")].toDouble())
                                .arg(block[QLatin1String("top")].toDouble())));
        for (const QRectF &picture : std::as_const(pictureBoxes))
            QVERIFY2(!Overlap(box, picture),
                     qPrintable(QStringLiteral("\"%1\" lies under a chart").arg(text)));
    }
    for (const QJsonValue &table : tables) {
        for (const QRectF &picture : std::as_const(pictureBoxes))
            QVERIFY(!Overlap(BoxOf(table), picture));
    }
}

void TestReportHtml::CheckFormulaSign(const QJsonObject &page) {
    // The blocks of the formula's labels, found by their places.
    const int top = Raport_w->GeneralFormulaBand->Top;
    const auto inkOf = [&](const TQRLabel *label) {
        for (const QJsonValue &block : page[QLatin1String("blocks")].toArray()) {
            if (block[QLatin1String("left")].toDouble() == label->Left() &&
                block[QLatin1String("top")].toDouble() == top + label->Top())
                return BoxOf(block[QLatin1String("ink")]);
        }
        return QRectF();
    };
    const QRectF sign = inkOf(Raport->F4);
    const QRectF n = inkOf(Raport->F2), under = inkOf(Raport->F3), bracket = inkOf(Raport->F8);
    const auto text = [](const QRectF &r) {
        return QStringLiteral("(%1, %2)-(%3, %4)")
            .arg(r.left())
            .arg(r.top())
            .arg(r.right())
            .arg(r.bottom());
    };
    QVERIFY2(sign.width() > 5 && sign.height() > 10, qPrintable(text(sign)));
    for (const QRectF &other : {n, under, bracket}) {
        QVERIFY(!other.isEmpty());
        QVERIFY2(!Overlap(sign, other),
                 qPrintable(QStringLiteral("sign %1, neighbour %2").arg(text(sign), text(other))));
    }
    QVERIFY(n.bottom() <= sign.top() && under.top() >= sign.bottom());
    QVERIFY(bracket.left() >= sign.right());
}

void TestReportHtml::pageShowsEveryBlockAtItsPlace() {
    if (!TWebBrowser::ShowsHtml())
        QSKIP("this build shows HTML pages as text");
    TReportFixture::MakeProblem(3, 4);
    Raport_w->show();
    TReportFixture::Choose(true, true, true, true, true);
    Raport_w->ChB_Description->setChecked(true);
    Raport_w->BBtn_CreateClick();
    Raport_p->resize(1200, 900);

    // The view's own page.
    Raport_p->SB_HTMLClick();
    const QString own = QDir(Raport_p->TempFolder()).filePath(QStringLiteral("Report.htm"));
    QJsonObject page = Boxes(own);
    QVERIFY2(!page.isEmpty(), "the page did not load");
    CheckPage(page, 3);
    CheckFormulaSign(page);
    if (QTest::currentTestFailed())
        return;

    // Saved under a name that is no plain URL, and opened again.
    const QString saved = fixture_->Dir.filePath(QStringLiteral("Cars & \"bikes\" #1 100%.htm"));
    fixture_->Script.ChooseFile(saved, 2);
    Raport_p->SB_Save_ReportClick();
    QVERIFY(QFile::exists(fixture_->Dir.filePath(QStringLiteral("Cars & \"bikes\" #1 100%2.jpg"))));
    fixture_->Script.ChooseFile(saved);
    Raport_p->SB_Open_ReportClick();
    page = Boxes(saved);
    QVERIFY2(!page.isEmpty(), "the saved page did not load");
    CheckPage(page, 3);
}

void TestReportHtml::privateFolder_data() {
    // What is unusable: the temporary folder, then the cache, then the runtime folder.
    QTest::addColumn<int>("unusable");
    QTest::addColumn<QString>("expected"); // the folder the page goes under; empty: none
    QTest::newRow("no temporary folder: the cache") << 1 << "cache";
    QTest::newRow("nor a cache: the runtime folder") << 2 << "runtime";
    QTest::newRow("none: the question") << 3 << "";
}

void TestReportHtml::privateFolder() {
    QFETCH(int, unusable);
    QFETCH(QString, expected);
    const QDir sandbox(fixture_->Dir.path());
    QVERIFY(sandbox.mkpath(QStringLiteral("work")) && sandbox.mkpath(QStringLiteral("runtime")));
    QVERIFY(QFile::setPermissions(sandbox.filePath(QStringLiteral("runtime")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QFile plain(sandbox.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    // A folder inside a plain file can never be made, not even by root. A
    // temporary folder that is missing gives Qt no temporary path at all; one
    // that is a plain file also keeps Qt's own runtime fallback out of "/".
    const QString impossible = sandbox.filePath(QStringLiteral("plain/folder"));
    SetEnvironment("TMPDIR",
                   unusable >= 3 ? plain.fileName() : sandbox.filePath(QStringLiteral("missing")));
    SetEnvironment("XDG_CACHE_HOME",
                   unusable >= 2 ? impossible : sandbox.filePath(QStringLiteral("cache")));
    SetEnvironment("XDG_RUNTIME_DIR",
                   unusable >= 3 ? impossible : sandbox.filePath(QStringLiteral("runtime")));
    QVERIFY(QDir::setCurrent(sandbox.filePath(QStringLiteral("work"))));

    TReportFixture::MakeProblem(2, 3);
    Raport_w->show();
    TReportFixture::Choose(true, true, true, true, true);
    Raport_w->BBtn_CreateClick();
    if (expected.isEmpty())
        fixture_->Script.Answer(mrNo, QStringLiteral("Can't create a temporary html file in the "
                                                     "temporary, cache or runtime folder! Would "
                                                     "you like to select a location for the html "
                                                     "file yourself?"));
    Raport_p->SB_HTMLClick();
    QCOMPARE(Raport_p->Panel_Views->currentWidget(), Raport_p->Browser);
    // Never the working directory.
    QCOMPARE(QDir(sandbox.filePath(QStringLiteral("work")))
                 .entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList());
    if (expected.isEmpty()) {
        QVERIFY2(Raport_p->TempFolder().isEmpty(), qPrintable(Raport_p->TempFolder()));
        QVERIFY(Raport_p->Browser->FileName().isEmpty());
        return;
    }
    const QString folder = Raport_p->TempFolder();
    QVERIFY2(folder.startsWith(sandbox.filePath(expected) + QLatin1Char('/')), qPrintable(folder));
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
             QStringList({"Report.htm", "chart0.jpg", "chart1.jpg"}));
    QCOMPARE(Raport_p->Browser->FileName(), QDir(folder).filePath(QStringLiteral("Report.htm")));
    // Closing takes the folder away again.
    Raport_p->BBtn_CloseClick();
    QVERIFY(!QFileInfo::exists(folder));
}

int main(int argc, char **argv) {
    PrepareWebBrowser();
    TApplication app(argc, argv);
    TestReportHtml test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reporthtml.moc"
