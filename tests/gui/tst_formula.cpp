// The formula window: the general formula alone until the problem is solved,
// then K, the k values and the problem's formula, the copy to the clipboard,
// and the labels made for one showing gone at its close.
#include "GuiTest.h"
#include "ProblemSupport.h"
#include "app/Formula.h"
#include "tests/TestSupport.h"

#include <QClipboard>
#include <QLabel>

namespace {
QString lastTopic;
void *RecordTopic(void *, const char *topicPath, unsigned int, unsigned long) {
    lastTopic = QString::fromLocal8Bit(topicPath);
    return nullptr;
}

// Where a label's text leaves ink, in its parent's coordinates.
QRect InkOf(QLabel *label) {
    QImage image(label->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    label->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 160)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink.translated(label->pos());
}

// A widget's rectangle in its window's coordinates.
QRect InWindow(const QWidget *widget) {
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

QStringList Captions(const std::array<QLabel *, MaxCriteria> &labels) {
    QStringList captions;
    for (const QLabel *label : labels) {
        if (label)
            captions << label->text();
    }
    return captions;
}
} // namespace

class TestFormula : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void formulaTexts_data();
    void formulaTexts();
    void generalFormulaOnly_data();
    void generalFormulaOnly();
    void layoutForOneAndTenCriteria_data();
    void layoutForOneAndTenCriteria();
    void everyLineWhole_data();
    void everyLineWhole();
    void maximiseKeepsTheFormulaInTheMiddle();
    void labelsGoAtClose();
    void productSignByItsInk();
    void help();

private:
    // Solved problem with the given k (a k below 0 marks an unused criterion) and K.
    void Solve(const QList<double> &ks, double K);
    std::unique_ptr<TFrameFixture> fixture_;
};

void TestFormula::init() {
    fixture_ = std::make_unique<TFrameFixture>();
    Form_Formula = new TForm_Formula(Kavrel);
}

void TestFormula::cleanup() {
    const auto done = qScopeGuard([this] { fixture_.reset(); });
    delete Form_Formula;
    Form_Formula = nullptr;
    fixture_->Check();
}

void TestFormula::Solve(const QList<double> &ks, double K) {
    std::vector<TPROBLEM> criteria;
    for (int i = 0; i < ks.size(); ++i)
        criteria.push_back(
            LinearCriterion(QStringLiteral("C%1").arg(i), i, ks[i] < 0 ? 0.3 : ks[i], ks[i] >= 0));
    SetProblem(*Kavrel, criteria, {});
    FactorK = K;
    Kavrel->SolutionComplete = true;
    Kavrel->DialogueMode = false;
}

void TestFormula::formulaTexts_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QList<double>>("ks");
    QTest::addColumn<double>("K");
    QTest::addColumn<QString>("kValue");
    QTest::addColumn<QStringList>("kLabels");
    QTest::addColumn<QStringList>("lines"); // left side, first line, created lines
    QTest::addColumn<QString>("clipboard");

    for (const QLocale &locale : {PointLocale(), CommaLocale()}) {
        const bool comma = locale == CommaLocale();
        const auto t = [comma](QString text) {
            return comma ? text.replace(QLatin1Char('.'), QLatin1Char(',')) : text;
        };
        const QByteArray suffix = comma ? " comma" : " point";
        QTest::newRow("multiplicative" + suffix)
            << locale << QList<double>{0.3, 0.5} << 0.25 << t("K = 0.250")
            << QStringList{t("k1 = 0.300"), t("k2 = 0.500")}
            << QStringList{t("0.250 * U(g) + 1 =  "), t("( 0.075 * u1( g1(a) ) + 1 ) "),
                           t("* ( 0.125 * u2( g2(a) ) + 1 ) ")}
            << t("0.250 * U(g) + 1 =  ( 0.075 * u1( g1(a) ) + 1 ) * ( 0.125 * u2( g2(a) ) + 1 ) ");
        QTest::newRow("additive" + suffix)
            << locale << QList<double>{0.5, 0.5} << 3.0 << t("K = 3.000")
            << QStringList{t("k1 = 0.500"), t("k2 = 0.500")}
            << QStringList{"U(g) =", t("  0.500 * u1( g1(a) ) "), t("+ 0.500 * u2( g2(a) ) ")}
            << t("U(g) =  0.500 * u1( g1(a) ) + 0.500 * u2( g2(a) ) ");
    }
    // An unused criterion first changes neither the numbering nor the form.
    QTest::newRow("unused first") << PointLocale() << QList<double>{-1, 0.4, 0.6} << 1.0
                                  << "K = 1.000" << QStringList{"k1 = 0.400", "k2 = 0.600"}
                                  << QStringList{"U(g) =", "  0.400 * u1( g1(a) ) ",
                                                 "+ 0.600 * u2( g2(a) ) "}
                                  << "U(g) =  0.400 * u1( g1(a) ) + 0.600 * u2( g2(a) ) ";
    // 0.1 + 0.2 + 0.7 is not exactly 1 in doubles, yet the utilities add up: so does the formula.
    QTest::newRow("adds as the model does")
        << PointLocale() << QList<double>{0.1, 0.2, 0.7} << 1.0 << "K = 1.000"
        << QStringList{"k1 = 0.100", "k2 = 0.200", "k3 = 0.700"}
        << QStringList{"U(g) =", "  0.100 * u1( g1(a) ) ", "+ 0.200 * u2( g2(a) ) ",
                       "+ 0.700 * u3( g3(a) ) "}
        << "U(g) =  0.100 * u1( g1(a) ) + 0.200 * u2( g2(a) ) + 0.700 * u3( g3(a) ) ";
}

void TestFormula::formulaTexts() {
    QFETCH(QLocale, locale);
    QFETCH(QList<double>, ks);
    QFETCH(double, K);
    QFETCH(QString, kValue);
    QFETCH(QStringList, kLabels);
    QFETCH(QStringList, lines);
    QFETCH(QString, clipboard);
    LocaleGuard guard(locale);
    Solve(ks, K);

    TForm_Formula &f = *Form_Formula;
    f.show();
    QCOMPARE(f.Label_Kvalue->text(), kValue);
    QCOMPARE(QStringList(f.Label_k->text()) + Captions(f.KLabels), kLabels);
    QCOMPARE(QStringList({f.Label_leftside->text(), f.Label_rightside->text()}) +
                 Captions(f.FormulaLines),
             lines);
    QVERIFY(f.Panel_BigK->isVisible() && f.Panel_k->isVisible() && f.Panel_formula->isVisible());
    QVERIFY(f.BitBtn_copy->isVisible());
    // Created lines stand 20 pixels apart below the first.
    if (f.FormulaLines[1])
        QCOMPARE(f.FormulaLines[1]->y(), f.Label_rightside->y() + 20);

    QGuiApplication::clipboard()->setText(QStringLiteral("old"));
    f.BitBtn_copy->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
    f.done(QDialog::Accepted);
}

void TestFormula::generalFormulaOnly_data() {
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("dialogue");
    QTest::addColumn<int>("used");
    QTest::addColumn<QList<double>>("ks"); // below 0: not used
    const QList<double> two{0.3, 0.5};
    QTest::newRow("not solved") << false << false << 2 << two;
    QTest::newRow("during elicitation") << true << true << 2 << two;
    QTest::newRow("no used criterion") << true << false << 0 << two;
    // The list decides, whatever the count says.
    QTest::newRow("count without used criteria") << true << false << 2 << QList<double>{-1, -1};
}

void TestFormula::generalFormulaOnly() {
    QFETCH(bool, complete);
    QFETCH(bool, dialogue);
    QFETCH(int, used);
    QFETCH(QList<double>, ks);
    Solve(ks, 0.25);
    Kavrel->SolutionComplete = complete;
    Kavrel->DialogueMode = dialogue;
    Kavrel->UsedCount = used;
    QGuiApplication::clipboard()->setText(QStringLiteral("old"));

    TForm_Formula &f = *Form_Formula;
    f.show();
    QCOMPARE(f.height(), 160);
    QCOMPARE(f.width(), 466);
    QCOMPARE(f.BitBtn_ok->pos(), QPoint(141, 120));
    QCOMPARE(f.BitBtn_help->pos(), QPoint(250, 120));
    QVERIFY(f.Panel_formulaKenRay->isVisible());
    QVERIFY(!f.Panel_BigK->isVisible() && !f.Panel_k->isVisible() &&
            !f.Panel_formula->isVisible() && !f.BitBtn_copy->isVisible());
    QVERIFY(Captions(f.KLabels).isEmpty());
    f.BitBtn_copyClick();
    if (!complete || used == 0)
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("old"));
    f.done(QDialog::Rejected);
}

void TestFormula::layoutForOneAndTenCriteria_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("panelHeight");
    QTest::addColumn<int>("clientHeight");
    QTest::newRow("one") << 1 << 70 << 300;
    QTest::newRow("ten") << 10 << 250 << 480;
}

void TestFormula::layoutForOneAndTenCriteria() {
    QFETCH(int, count);
    QFETCH(int, panelHeight);
    QFETCH(int, clientHeight);
    Solve(QList<double>(count, 0.05), 2.0);
    TForm_Formula &f = *Form_Formula;
    f.show();
    QCOMPARE(Captions(f.KLabels).size(), count - 1);
    QCOMPARE(Captions(f.FormulaLines).size(), count - 1);
    QCOMPARE(f.Panel_k->height(), panelHeight);
    QCOMPARE(f.Panel_formula->height(), panelHeight);
    QCOMPARE(f.height(), clientHeight);
    for (QPushButton *b : {f.BitBtn_ok, f.BitBtn_help, f.BitBtn_copy})
        QCOMPARE(b->y(), clientHeight - 40);
    // At 95, 200 and 305, moved along with the middle of a window widened for a long line.
    const int shift = (f.width() - 466) / 2;
    QCOMPARE(f.BitBtn_ok->x(), 95 + shift);
    QCOMPARE(f.BitBtn_help->x(), 200 + shift);
    QCOMPARE(f.BitBtn_copy->x(), 305 + shift);
    if (count == 10)
        QCOMPARE(f.KLabels[9]->text(), QStringLiteral("k10 = 0.050"));
    f.done(QDialog::Accepted);
}

void TestFormula::everyLineWhole_data() {
    QTest::addColumn<int>("decimals");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("K");
    for (int decimals = 1; decimals <= 6; ++decimals) {
        for (int count : {1, 5, 10}) {
            for (double K : {-0.987654321, 123.456789123}) {
                QTest::addRow("%d decimals, %d criteria, K %s", decimals, count,
                              K < 0 ? "below 0" : "above 0")
                    << decimals << count << K;
            }
        }
    }
}

void TestFormula::everyLineWhole() {
    // Each line's text measured against the panel it stands in: the panels
    // (and the window) grow where a line needs it, and keep the stored layout
    // where every line fits it.
    QFETCH(int, decimals);
    QFETCH(int, count);
    QFETCH(double, K);
    QList<double> ks;
    for (int i = 0; i < count; ++i)
        ks << (K < 0 ? 0.987654321 - 0.0123456789 * i : 0.00123456789 * (i + 1));
    Solve(ks, K);
    Kavrel->ProbabilityPrecision = decimals;
    TForm_Formula &f = *Form_Formula;
    f.show();
    QVERIFY(f.Panel_formula->isVisible() && !f.Label_leftside->text().startsWith('U'));

    const QList<QFrame *> panels{f.Panel_formulaKenRay, f.Panel_BigK, f.Panel_formula, f.Panel_k};
    const QList<QRect> stored{
        {24, 15, 425, 82}, {22, 112, 425, 41}, {22, 171, 265, 70}, {296, 170, 153, 71}};
    bool fitsStored = true;
    for (int p = 0; p < panels.size(); ++p) {
        const QFrame *panel = panels[p];
        const QRect inside = panel->contentsRect();
        for (const QLabel *label : panel->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
            const QString text = label->text().trimmed();
            const int width = label->fontMetrics().horizontalAdvance(text);
            const QString what = QStringLiteral("\"%1\" at %2..%3 in a panel %4 wide")
                                     .arg(text)
                                     .arg(label->x())
                                     .arg(label->x() + width)
                                     .arg(panel->width());
            QVERIFY2(label->width() >= width, qPrintable(what));
            QVERIFY2(label->x() >= inside.left() && label->x() + width <= inside.right() + 1,
                     qPrintable(what));
            const QRect ink = InkOf(const_cast<QLabel *>(label));
            QVERIFY2(ink.top() >= inside.top() && ink.bottom() <= inside.bottom(),
                     qPrintable(what));
            // With a few pixels to spare before the frame.
            fitsStored = fitsStored && label->x() + width + 8 <= stored[p].width();
        }
        QVERIFY(f.rect().contains(InWindow(panel)));
        for (int q = 0; q < p; ++q)
            QVERIFY(!panel->geometry().intersects(panels[q]->geometry()));
    }
    // The k panel stands beside the formula, and the upper panels end where it does.
    QCOMPARE(f.Panel_k->geometry().right(), f.Panel_formulaKenRay->geometry().right());
    QVERIFY(f.Panel_k->x() > f.Panel_formula->geometry().right());
    for (const QPushButton *button : {f.BitBtn_ok, f.BitBtn_help, f.BitBtn_copy}) {
        QVERIFY(f.rect().contains(InWindow(button)));
        QVERIFY(button->y() > f.Panel_k->geometry().bottom());
    }
    if (fitsStored) {
        for (int p = 0; p < panels.size(); ++p)
            QCOMPARE(panels[p]->geometry(),
                     p < 2 ? stored[p]
                           : QRect(stored[p].topLeft(), QSize(stored[p].width(), 20 * count + 50)));
        QCOMPARE(f.width(), 466);
    }
    f.done(QDialog::Accepted);
}

void TestFormula::maximiseKeepsTheFormulaInTheMiddle() {
    // The maximise button that window managers show works: the window fills
    // the screen with the whole formula in its middle, and comes back to the
    // size of its content.
    QList<double> ks;
    for (int i = 0; i < 10; ++i)
        ks << 0.987654321 - 0.0123456789 * i;
    Solve(ks, -0.987654321);
    Kavrel->ProbabilityPrecision = 6;
    TForm_Formula &f = *Form_Formula;
    // The margins around the panels and buttons: left, top, right, bottom.
    const auto margins = [&f] {
        QRect content;
        for (const QWidget *w : std::initializer_list<const QWidget *>{
                 f.Panel_formulaKenRay, f.Panel_BigK, f.Panel_formula, f.Panel_k, f.BitBtn_ok,
                 f.BitBtn_help, f.BitBtn_copy})
            content |= InWindow(w);
        return QMargins(content.left(), content.top(), f.width() - 1 - content.right(),
                        f.height() - 1 - content.bottom());
    };
    f.show();
    const QSize normal = f.size();
    const QMargins around = margins();
    QVERIFY(f.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    f.showMaximized();
    QTRY_COMPARE(f.frameGeometry().size(), f.screen()->availableGeometry().size());
    const QMargins grown = margins() - around;
    QVERIFY2(grown.left() > 0 && qAbs(grown.left() - grown.right()) <= 1 && grown.top() > 0 &&
                 qAbs(grown.top() - grown.bottom()) <= 1,
             qPrintable(QStringLiteral("margins grew by %1, %2, %3, %4")
                            .arg(grown.left())
                            .arg(grown.top())
                            .arg(grown.right())
                            .arg(grown.bottom())));
    f.showNormal();
    QTRY_COMPARE(f.size(), normal);
    QVERIFY(f.minimumSize() == normal);
    f.done(QDialog::Accepted);
}

void TestFormula::productSignByItsInk() {
    TForm_Formula &f = *Form_Formula;
    f.show();
    const QRect sign = InkOf(f.Label_pi), n = InkOf(f.Label_n), under = InkOf(f.Label_i4);
    QVERIFY2(sign.width() > 5 && sign.height() > 10, "the product sign shows no ink");
    // "n" over it and "i" under it, centred, near but not touching.
    QVERIFY2(n.bottom() + 1 < sign.top() && under.top() > sign.bottom() + 1,
             qPrintable(QStringLiteral("n ends at %1, the sign spans %2 to %3, i starts at %4")
                            .arg(n.bottom())
                            .arg(sign.top())
                            .arg(sign.bottom())
                            .arg(under.top())));
    QVERIFY(n.bottom() > sign.top() - 6 && under.top() < sign.bottom() + 6);
    QVERIFY(qAbs(n.center().x() - sign.center().x()) <= 1);
    QVERIFY(qAbs(under.center().x() - sign.center().x()) <= 1);
    // In the blanks between "=" and the bracket.
    const QLabel *formula = f.Label_Label_formulaKenRay;
    const QFontMetrics metrics(formula->font());
    QVERIFY(sign.left() >
            formula->x() + metrics.horizontalAdvance(QStringLiteral("K * U(a) + 1 =")));
    QVERIFY(sign.right() <
            formula->x() + metrics.horizontalAdvance(QStringLiteral("K * U(a) + 1 =      ")));
    f.done(QDialog::Rejected);
}

void TestFormula::labelsGoAtClose() {
    Solve({0.2, 0.3, 0.4}, 0.5);
    TForm_Formula &f = *Form_Formula;
    const int labelsAtRest = int(f.findChildren<QLabel *>().size());
    // The modal showing, closed by Escape from the running window.
    bool watchdog = false;
    QTimer::singleShot(0, &f, [&f] {
        QCOMPARE(QApplication::activeModalWidget(), &f);
        QCOMPARE(Captions(f.FormulaLines).size(), 2);
        QTest::keyClick(&f, Qt::Key_Escape);
    });
    QTimer::singleShot(5000, &f, [&f, &watchdog] {
        watchdog = true;
        f.done(QDialog::Rejected);
    });
    f.exec();
    QVERIFY(!watchdog);
    QCOMPARE(int(f.findChildren<QLabel *>().size()), labelsAtRest);
    QVERIFY(!f.Panel_k->isVisibleTo(&f) && !f.BitBtn_copy->isVisibleTo(&f));

    // A second showing with fewer criteria leaves nothing of the first behind.
    Solve({0.6, 0.4}, 1.0);
    f.show();
    QCOMPARE(int(f.findChildren<QLabel *>().size()), labelsAtRest + 2);
    f.close();
    QCOMPARE(int(f.findChildren<QLabel *>().size()), labelsAtRest);
}

void TestFormula::help() {
    Kavrel->HelpShow = RecordTopic;
    Form_Formula->show();
    lastTopic.clear();
    Form_Formula->BitBtn_help->click();
    QCOMPARE(lastTopic, QStringLiteral("rovezizez.chm::/Praca\\function.htm"));
    lastTopic.clear();
    QTest::keyClick(Form_Formula->BitBtn_ok, Qt::Key_F1);
    QCOMPARE(lastTopic, QStringLiteral("rovezizez.chm::/Praca\\function.htm"));
    QVERIFY(Form_Formula->isVisible());
    Kavrel->HelpShow = nullptr;
    Form_Formula->close();
}

VR_GUI_TEST_MAIN(TestFormula)
#include "tst_formula.moc"
