// The report wizard and the layout it builds: the wizard's rules and texts, the bands
// and labels of the printable report read back, pagination and printing to a
// PDF file, and the HTML page written in the same pass.
#include "PageInk.h"
#include "ReportFixture.h"
#include "elicitation/Chartmain.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {
// "name top height" of every band under the title, in chain order.
QStringList Chain() {
    QStringList chain;
    TQRBand *band = Raport_w->CriteriaBand ? static_cast<TQRBand *>(Raport_w->CriteriaBand)
                                           : Raport->QRBand_Title->ChildBand();
    for (; band; band = band->ChildBand())
        chain
            << QStringLiteral("%1 %2 %3").arg(band->objectName()).arg(band->Top).arg(band->Height);
    return chain;
}

// Expected chain from "name height" pairs, the first band at the top of 107.
QStringList Stacked(const QStringList &bands) {
    QStringList chain;
    int top = 107;
    for (const QString &b : bands) {
        const QStringList parts = b.split(QLatin1Char(' '));
        chain << QStringLiteral("%1 %2 %3").arg(parts[0]).arg(top).arg(parts[1]);
        top += parts[1].toInt();
    }
    return chain;
}

int LabelHeight(int size) {
    TQRLabel label;
    label.Font = QRFont(QStringLiteral("Arial"), size);
    label.SetCaption(QStringLiteral("x"));
    return label.Height();
}

QList<TQRLabel *> Labels(TQRBand *band) {
    QList<TQRLabel *> labels;
    for (TQRPrintable *p : band->Printables()) {
        if (auto *label = qobject_cast<TQRLabel *>(p))
            labels << label;
    }
    return labels;
}

QStringList Captions(TQRBand *band) {
    QStringList captions;
    for (TQRLabel *label : Labels(band))
        captions << label->Caption();
    return captions;
}

// The page lines after the head.
QStringList Body() {
    return Raport->Memo_HTML.mid(Raport->Memo_Begining_Of_File.size());
}

QString lastTopic;
void *RecordTopic(void *, const char *topicPath, unsigned int, unsigned long) {
    lastTopic = QString::fromLocal8Bit(topicPath);
    return nullptr;
}

// The ink of one text run as the page draws it, in design pixels of the
// page; `text` (when given) is drawn in its place, `shift` moves it right.
QRectF InkOf(const TQRPageOp &op, const QRectF &area, const QString &text = QString(),
             double shift = 0) {
    constexpr int scale = 4;
    TQRPage page;
    TQRPageOp run = op;
    if (!text.isNull())
        run.String = text;
    run.Rect.translate(shift, 0);
    page.Ops.push_back(run);
    QImage image((area.size() * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    painter.translate(-area.topLeft());
    DrawPageOps(painter, page);
    painter.end();
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 160)
                ink |= QRect(x, y, 1, 1);
        }
    }
    if (ink.isNull())
        return QRectF();
    return QRectF(QPointF(ink.topLeft()) / scale + area.topLeft(), QSizeF(ink.size()) / scale);
}

QString RunTool(const QString &tool, const QStringList &arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(20000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}
} // namespace

class TestReportWizard : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void showRules_data();
    void showRules();
    void widthsAndList();
    void textsShownWhole();
    void help();
    void silentCorrections();
    void staleCheckList();
    void layoutChain_data();
    void layoutChain();
    void criterionBlock();
    void graphicInCharts();
    void formulaLabels();
    void formulaSignsByMetrics();
    void rankingBands();
    void secondCreateHoldsNothingOfFirst();
    void clearingKeepsWhatCreateProduced();
    void titleAndFooter();
    void pagination();
    void printToPdf();

    void htmlTitleOnly();
    void htmlCriteria();
    void htmlFormula();
    void htmlRanking();
    void htmlMarkupAndEncoding();

private:
    std::unique_ptr<TReportFixture> fixture_;
};

void TestReportWizard::init() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    fixture_ = std::make_unique<TReportFixture>();
}

void TestReportWizard::cleanup() {
    fixture_->Check();
    fixture_.reset();
    QLocale::setDefault(QLocale::c());
}

void TestReportWizard::showRules_data() {
    QTest::addColumn<int>("criteria");
    QTest::addColumn<bool>("formula");
    QTest::addColumn<bool>("kChecked");
    QTest::addColumn<bool>("kEnabled");
    QTest::newRow("one criterion") << 1 << true << false << false;
    QTest::newRow("two criteria: enabled, left unticked") << 2 << true << false << true;
    QTest::newRow("two, formula off: left alone") << 2 << false << false << false;
}

void TestReportWizard::showRules() {
    QFETCH(int, criteria);
    QFETCH(bool, formula);
    QFETCH(bool, kChecked);
    QFETCH(bool, kEnabled);
    // Start from a disabled, unticked part as one criterion leaves it.
    TReportFixture::MakeProblem(1, 0);
    Raport_w->FormShow();
    QVERIFY(!Raport_w->ChB_FormulaK->isEnabled());
    Raport_w->ChB_Formula->setChecked(formula);
    Raport_w->ChB_FormulaClick();
    Raport_w->ChB_FormulaK->setEnabled(false);

    TReportFixture::MakeProblem(criteria, 0);
    Raport_w->Edit_Date->setText(QStringLiteral("old"));
    Raport_w->FormShow();
    QCOMPARE(Raport_w->ChB_FormulaK->isChecked(), kChecked);
    QCOMPARE(Raport_w->ChB_FormulaK->isEnabled(), kEnabled);
    QCOMPARE(Raport_w->Edit_Date->text(),
             QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    QCOMPARE(Raport_w->ChLB_Criteria->count(), criteria);
    QCOMPARE(Raport_w->ChLB_Criteria->item(0)->text(), QStringLiteral("c1"));
    QCOMPARE(Raport_w->ChLB_Criteria->item(0)->checkState(), Qt::Unchecked);
    // "Utility function" enables it again whatever the number of criteria.
    Raport_w->ChB_Formula->setChecked(true);
    Raport_w->ChB_FormulaClick();
    QVERIFY(Raport_w->ChB_FormulaK->isEnabled());
}

void TestReportWizard::widthsAndList() {
    TReportFixture::MakeProblem(3, 0);
    Raport_w->show();
    QCOMPARE(Raport_w->windowTitle(), QStringLiteral("Report wizard"));
    QVERIFY(!Raport_w->isModal());
    QCOMPARE(Raport_w->width(), TRaport_w::NarrowWidth);
    Raport_w->RB_User->setChecked(true);
    Raport_w->RB_UserClick();
    QCOMPARE(Raport_w->width(), TRaport_w::WideWidth);
    QCOMPARE(Raport_w->ChLB_Criteria->count(), 3);
    Raport_w->ChB_Criteria->setChecked(false);
    Raport_w->ChB_CriteriaClick();
    QCOMPARE(Raport_w->width(), TRaport_w::NarrowWidth);
    QCOMPARE(Raport_w->ChLB_Criteria->count(), 0);
    for (QWidget *w :
         {(QWidget *)Raport_w->ChB_Description, (QWidget *)Raport_w->ChB_Graphic,
          (QWidget *)Raport_w->RB_All, (QWidget *)Raport_w->RB_Used, (QWidget *)Raport_w->RB_User})
        QVERIFY(!w->isEnabled());
    Raport_w->ChB_Criteria->setChecked(true);
    Raport_w->ChB_CriteriaClick();
    QCOMPARE(Raport_w->width(), TRaport_w::WideWidth);
    QCOMPARE(Raport_w->ChLB_Criteria->count(), 3);
    Raport_w->RB_Used->setChecked(true);
    Raport_w->RB_UsedClick();
    QCOMPARE(Raport_w->width(), TRaport_w::NarrowWidth);
    QCOMPARE(Raport_w->ChLB_Criteria->count(), 0);
    // The report command on a visible wizard only brings it to the front.
    Raport_w->ChLB_Criteria->addItem(QStringLiteral("kept"));
    Raport_w->Execute();
    QCOMPARE(Raport_w->ChLB_Criteria->count(), 1);
    Raport_w->close();
    QVERIFY(!Raport_w->isVisible());
}

void TestReportWizard::textsShownWhole() {
    TReportFixture::MakeProblem(3, 0);
    Raport_w->show();
    Raport_w->RB_User->setChecked(true);
    Raport_w->RB_UserClick(); // wide: the check list's box shows too
    QVERIFY(QTest::qWaitForWindowExposed(Raport_w));
    // What of a widget its parents leave visible, in the wizard's coordinates.
    const auto visible = [](const QWidget *w, QRect r) {
        for (; !w->isWindow(); w = w->parentWidget())
            r = r.translated(w->pos()) & w->parentWidget()->rect();
        return r;
    };
    QStringList cut;
    for (const QLabel *label : Raport_w->findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue;
        const QRect room = visible(label, label->contentsRect());
        const QFontMetrics metrics(label->font());
        const QSize need = label->wordWrap()
                               ? metrics
                                     .boundingRect(QRect(0, 0, room.width(), 1000),
                                                   Qt::TextWordWrap, label->text())
                                     .size()
                               : QSize(metrics.horizontalAdvance(label->text()), metrics.height());
        if (need.width() > room.width() || need.height() > room.height())
            cut << label->objectName();
    }
    for (const QAbstractButton *button : Raport_w->findChildren<QAbstractButton *>()) {
        if (!button->text().isEmpty() &&
            button->sizeHint().width() > visible(button, button->rect()).width())
            cut << button->objectName();
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char(' '))));
    Raport_w->close();
}

void TestReportWizard::help() {
    TReportFixture::MakeProblem(1, 0);
    Raport_w->show();
    Kavrel->HelpShow = RecordTopic;
    lastTopic.clear();
    Raport_w->BitBtn1->click();
    QCOMPARE(lastTopic, QStringLiteral("rovezizez.chm::/Praca\\report.htm"));
    lastTopic.clear();
    QTest::keyClick(Raport_w->Edit_Title, Qt::Key_F1);
    QCOMPARE(lastTopic, QStringLiteral("rovezizez.chm::/Praca\\report.htm"));
    // Other keys reach the control.
    QTest::keyClick(Raport_w->Edit_Title, Qt::Key_X);
    QVERIFY(Raport_w->Edit_Title->text().endsWith(QLatin1Char('x')));
    Kavrel->HelpShow = nullptr;
}

void TestReportWizard::silentCorrections() {
    TReportFixture::MakeProblem(3, 2);
    Raport_w->show();
    // No formula part: the formula section goes.
    TReportFixture::Choose(true, false, false, false, true);
    Raport_w->ChB_Formula->setChecked(true);
    Raport_w->ChB_FormulaClick();
    // "User" with nothing ticked: the criteria section goes and the wizard narrows.
    Raport_w->RB_User->setChecked(true);
    Raport_w->RB_UserClick();
    Raport_w->BBtn_CreateClick();
    QVERIFY(!Raport_w->isVisible());
    QVERIFY(!Raport_w->ChB_Formula->isChecked());
    for (QWidget *w : {(QWidget *)Raport_w->ChB_FormulaKR, (QWidget *)Raport_w->ChB_FormulaF,
                       (QWidget *)Raport_w->ChB_FormulaK})
        QVERIFY(!w->isEnabled());
    QVERIFY(!Raport_w->ChB_Criteria->isChecked());
    QCOMPARE(Raport_w->width(), TRaport_w::NarrowWidth);
    QVERIFY(Raport_w->ReportedCriteria.empty());
    QVERIFY(!Raport_w->FormulaBand);
    QCOMPARE(Chain().first(), QStringLiteral("RankingBand 107 80"));
    QVERIFY(Raport_w->ReportCharts[0].isNull());
}

void TestReportWizard::staleCheckList() {
    // Ticks stand for the criteria of their names, not for list positions.
    TReportFixture::MakeProblem(4, 0);
    Raport_w->show();
    Raport_w->RB_User->setChecked(true);
    Raport_w->RB_UserClick();
    Raport_w->ChLB_Criteria->item(1)->setCheckState(Qt::Checked);
    Raport_w->ChLB_Criteria->item(3)->setCheckState(Qt::Checked);
    // Criterion c1 is deleted while the wizard is open.
    Kavrel->Criteria.erase(Kavrel->Criteria.begin());
    Kavrel->Variants.Columns.erase(Kavrel->Variants.Columns.begin());
    Raport_w->BBtn_CreateClick();
    QCOMPARE(QList<int>(Raport_w->ReportedCriteria.begin(), Raport_w->ReportedCriteria.end()),
             (QList<int>{0, 2}));
    QCOMPARE(Captions(Raport_w->CriterionBands[0]).at(1), QStringLiteral("c2"));
    QCOMPARE(Captions(Raport_w->CriterionBands[1]).at(1), QStringLiteral("c4"));
}

void TestReportWizard::layoutChain_data() {
    QTest::addColumn<int>("criteria");
    QTest::addColumn<QList<bool>>("used");
    QTest::addColumn<int>("show");          // 0 All, 1 Used, 2 User with c2 and c4 ticked
    QTest::addColumn<QString>("sections");  // C criteria, G, N, K formula parts, R ranking
    QTest::addColumn<QStringList>("bands"); // name and height, stacked from 107
    const int h = LabelHeight(14);
    const QString n2 = QString::number(20 + 10 + h), n3 = QString::number(40 + 10 + h);
    const QString k2 = QString::number(40 + h + 20 + h), k3 = QString::number(40 + h + 40 + h);
    QTest::newRow("one criterion, everything")
        << 1 << QList<bool>{} << 0 << "CGNKR"
        << QStringList{"CriteriaBand 60",       "CriterionBand0 280",    "FormulaBand 40",
                       "GeneralFormulaBand 90", "NumericFormulaBand 90", "CoefficientBand 80",
                       "RankingBand 80",        "AlternativeBand0 20",   "AlternativeBand1 20"};
    QTest::newRow("three used, everything")
        << 3 << QList<bool>{} << 0 << "CGNKR"
        << QStringList{"CriteriaBand 60",          "CriterionBand0 280",    "CriterionBand1 280",
                       "CriterionBand2 280",       "FormulaBand 40",        "GeneralFormulaBand 90",
                       "NumericFormulaBand " + n3, "CoefficientBand " + k3, "RankingBand 80",
                       "AlternativeBand0 60",      "AlternativeBand1 60"};
    QTest::newRow("all of three, one unused")
        << 3 << QList<bool>{false, true, true} << 0 << "CNKR"
        << QStringList{"CriteriaBand 60",       "CriterionBand0 280", "CriterionBand1 280",
                       "CriterionBand2 280",    "FormulaBand 40",     "NumericFormulaBand " + n2,
                       "CoefficientBand " + k2, "RankingBand 80",     "AlternativeBand0 40",
                       "AlternativeBand1 40"};
    QTest::newRow("used of three, first unused")
        << 3 << QList<bool>{false, true, true} << 1 << "C"
        << QStringList{"CriteriaBand 60", "CriterionBand0 280", "CriterionBand1 280"};
    QTest::newRow("user c2 and c4")
        << 4 << QList<bool>{} << 2 << "CG"
        << QStringList{"CriteriaBand 60", "CriterionBand0 280", "CriterionBand1 280",
                       "FormulaBand 40", "GeneralFormulaBand 90"};
    QTest::newRow("one used of several")
        << 3 << QList<bool>{false, true, false} << 0 << "NKR"
        << QStringList{"FormulaBand 40", "NumericFormulaBand 90", "CoefficientBand 80",
                       "RankingBand 80", "AlternativeBand0 20",   "AlternativeBand1 20"};
    QTest::newRow("coefficients only")
        << 2 << QList<bool>{} << 0 << "K" << QStringList{"FormulaBand 40", "CoefficientBand " + k2};
    QTest::newRow("ranking only") << 2 << QList<bool>{} << 0 << "R"
                                  << QStringList{"RankingBand 80", "AlternativeBand0 40",
                                                 "AlternativeBand1 40"};
    QTest::newRow("no used criterion")
        << 2 << QList<bool>{false, false} << 0 << "NKR"
        << QStringList{"FormulaBand 40", "NumericFormulaBand 90", "CoefficientBand 80",
                       "RankingBand 80", "AlternativeBand0 20",   "AlternativeBand1 20"};
    QTest::newRow("title only") << 2 << QList<bool>{} << 0 << "" << QStringList{};
}

void TestReportWizard::layoutChain() {
    QFETCH(int, criteria);
    QFETCH(QList<bool>, used);
    QFETCH(int, show);
    QFETCH(QString, sections);
    QFETCH(QStringList, bands);
    TReportFixture::MakeProblem(criteria, 2, used);
    Raport_w->show();
    TReportFixture::Choose(sections.contains('C'), sections.contains('G'), sections.contains('N'),
                           sections.contains('K'), sections.contains('R'));
    QRadioButton *radio[] = {Raport_w->RB_All, Raport_w->RB_Used, Raport_w->RB_User};
    radio[show]->setChecked(true);
    if (show == 2) {
        Raport_w->RB_UserClick();
        Raport_w->ChLB_Criteria->item(1)->setCheckState(Qt::Checked);
        Raport_w->ChLB_Criteria->item(3)->setCheckState(Qt::Checked);
    }
    Raport_w->BBtn_CreateClick();
    QCOMPARE(Chain(), Stacked(bands));
    // The formula band keeps the last formula part on its page; the ranking its first row.
    if (Raport_w->FormulaBand) {
        TQRBand *lastPart = Raport_w->CoefficientBand      ? (TQRBand *)Raport_w->CoefficientBand
                            : Raport_w->NumericFormulaBand ? (TQRBand *)Raport_w->NumericFormulaBand
                                                           : nullptr;
        QCOMPARE(Raport_w->FormulaBand->LinkBand(), lastPart);
    }
    if (Raport_w->RankingBand)
        QCOMPARE(Raport_w->RankingBand->LinkBand(), (TQRBand *)Raport_w->AlternativeBands[0]);
    // Every reported criterion has its chart, and no slot beyond.
    for (int p = 0; p < MaxCriteria; ++p)
        QCOMPARE(!Raport_w->ReportCharts[size_t(p)].isNull(),
                 p < int(Raport_w->ReportedCriteria.size()));
}

void TestReportWizard::criterionBlock() {
    TReportFixture::MakeProblem(2, 0, {true, false});
    Kavrel->Criteria[1].Cost = true;
    Kavrel->Criteria[1].Method = 0;
    Kavrel->Criteria[1].Min = 2.5;
    Kavrel->Criteria[1].Description = QStringLiteral("first\nsecond");
    Raport_w->show();
    Raport_w->ChB_Graphic->setChecked(false);
    Raport_w->BBtn_CreateClick();
    TQRBand *band = Raport_w->CriterionBands[1];
    QCOMPARE(Captions(band),
             (QStringList{"Name :", "c2", "Type :", "Cost", "Min :", "2.5", "Max :", "100",
                          "Used :", "No", "Method used :", "No method used ?!", "Description :"}));
    const QList<TQRLabel *> labels = Labels(band);
    const int h = LabelHeight(14);
    QCOMPARE(labels[0]->BoundsRect().topLeft(), QPoint(50, 0));
    for (int i = 1; i < 10; ++i) {
        QCOMPARE(labels[i]->Left(), labels[i - 1]->Right() + 15);
        QCOMPARE(labels[i]->Top(), 0);
        QCOMPARE(labels[i]->Font.bold(), i % 2 == 0);
        QCOMPARE(labels[i]->Font.pointSize(), 14);
    }
    TQRChart *chart = Raport_w->ReportCharts[1];
    QCOMPARE(chart->BoundsRect(), QRect(50, h + 5, 300, 190));
    QCOMPARE(labels[10]->BoundsRect().topLeft(), QPoint(358, h + 5));
    QCOMPARE(labels[11]->BoundsRect().topLeft(), QPoint(404, h + 5 + h + 5));
    QCOMPARE(labels[12]->BoundsRect().topLeft(), QPoint(358, h + 5 + 2 * (h + 5)));
    TQRMemo *memo = band->findChild<TQRMemo *>();
    QVERIFY(memo);
    QCOMPARE(memo->BoundsRect(), QRect(404, labels[12]->Bottom() + 10, 300, 150));
    QCOMPARE(memo->Lines, (QStringList{"first", "second"}));

    // The chart: 2D, no legend, no title, the axis titles and the points in order.
    TChart *inner = chart->Chart();
    QVERIFY(!inner->View3D);
    QVERIFY(!inner->LegendVisible);
    QVERIFY(inner->Title.Text.join(QString()).isEmpty());
    QCOMPARE(inner->BottomAxis.Title.Caption, QStringLiteral("c2 [kg]"));
    QCOMPARE(inner->LeftAxis.Title.Caption, QStringLiteral("U (c2)"));
    QCOMPARE(inner->RightAxis.Title.Caption, QStringLiteral("U (c2)"));
    QCOMPARE(inner->SeriesCount(), 1);
    QCOMPARE(inner->Series(0)->XValues.Value, (std::vector<double>{0, 50, 100}));
    QCOMPARE(inner->Series(0)->YValues.Value, (std::vector<double>{0, 0.6, 1}));

    // A long description: the page gets the memo's printed lines, cut to the memo.
    Kavrel->Criteria[1].Description = QStringLiteral("word ").repeated(200);
    Raport_w->show();
    Raport_w->BBtn_CreateClick();
    const QStringList memoLines = Body().filter(QStringLiteral("<p>word word"));
    QCOMPARE(memoLines.size(), 7);
    QVERIFY(memoLines.at(0).count(QStringLiteral("word")) < 10); // a memo line, not the text

    // Without descriptions the block ends at the method text.
    Raport_w->show();
    Raport_w->ChB_Description->setChecked(false);
    Raport_w->BBtn_CreateClick();
    QCOMPARE(Captions(Raport_w->CriterionBands[0]).size(), 12);
    QVERIFY(!Raport_w->CriterionBands[0]->findChild<TQRMemo *>());
}

void TestReportWizard::graphicInCharts() {
    TReportFixture::MakeProblem(1, 0);
    Form_chart = new TForm_chart(Kavrel);
    Form_chart->Chart->Color = clAqua;
    Form_chart->Chart->LegendVisible = true;
    Form_chart->Chart->Title.Text = QStringList{QStringLiteral("template")};
    Form_chart->Series->LinePen.Color = clFuchsia;
    Raport_w->show();
    Raport_w->BBtn_CreateClick();
    TChart *inner = Raport_w->ReportCharts[0]->Chart();
    QCOMPARE(inner->Color, TColor(clAqua));
    QVERIFY(inner->Title.Text.join(QString()).isEmpty());
    QCOMPARE(static_cast<TLineSeries *>(inner->Series(0))->LinePen.Color, TColor(clFuchsia));
    // Off: the chart component's own look, the series styled all the same.
    Raport_w->show();
    Raport_w->ChB_Graphic->setChecked(false);
    Raport_w->BBtn_CreateClick();
    inner = Raport_w->ReportCharts[0]->Chart();
    QCOMPARE(inner->Color, TChart().Color);
    QVERIFY(!inner->LegendVisible);
    QCOMPARE(static_cast<TLineSeries *>(inner->Series(0))->LinePen.Color, TColor(clFuchsia));
    delete Form_chart;
    Form_chart = nullptr;
}

void TestReportWizard::formulaLabels() {
    TReportFixture::MakeProblem(3, 0);
    Raport_w->show();
    Raport_w->BBtn_CreateClick();
    // The general formula shows the document's eight labels at their places.
    const auto formula = Raport->FormulaLabels();
    for (TQRLabel *label : formula)
        QCOMPARE(label->Band(), (TQRBand *)Raport_w->GeneralFormulaBand);
    QCOMPARE(Raport->F1->BoundsRect().topLeft(), QPoint(232, 48));
    QCOMPARE(Raport->F8->Caption(), QStringLiteral("(k * K * u  (g  (a)) + 1)"));

    const QList<TQRLabel *> numeric = Labels(Raport_w->NumericFormulaBand);
    QCOMPARE(numeric.size(), 5);
    QCOMPARE(numeric[1]->Caption(), QStringLiteral("0.500 * U(g) + 1 = "));
    QCOMPARE(numeric[1]->Left(), numeric[0]->Right() + 10);
    QCOMPARE(numeric[2]->Caption(), QStringLiteral("( 0.150 * u1( g1(a) ) + 1 ) "));
    QCOMPARE(numeric[2]->Left(), numeric[1]->Right());
    for (int j = 1; j < 3; ++j) {
        QCOMPARE(numeric[2 + j]->Left(), numeric[2]->Left() - 8);
        QCOMPARE(numeric[2 + j]->Top(), numeric[2]->Top() + 20 * j);
    }
    QCOMPARE(numeric[4]->Caption(), QStringLiteral("* ( 0.150 * u3( g3(a) ) + 1 ) "));
    QCOMPARE(Raport_w->NumericFormulaBand->Height, numeric[4]->Bottom());

    const QList<TQRLabel *> k = Labels(Raport_w->CoefficientBand);
    QCOMPARE(Captions(Raport_w->CoefficientBand),
             (QStringList{"Utility scaling factor :", "Scalling coefficients :", "k1 = 0.300",
                          "K = 0.500", "k2 = 0.300", "k3 = 0.300"}));
    QCOMPARE(k[2]->BoundsRect().topLeft(), QPoint(k[1]->Right() + 5, k[1]->Bottom()));
    QCOMPARE(k[3]->BoundsRect().topLeft(), QPoint(k[0]->Right() + 5, 10));
    QCOMPARE(k[5]->BoundsRect().topLeft(), QPoint(k[2]->Left(), k[2]->Top() + 40));

    // Coefficients summing to 1: the formula adds, as the formula window shows it.
    for (TPROBLEM &c : Kavrel->Criteria)
        c.SmallK = 1.0 / 3.0;
    Kavrel->Criteria[2].SmallK = 1.0 - 2.0 / 3.0;
    Raport_w->show();
    Raport_w->BBtn_CreateClick();
    QCOMPARE(Captions(Raport_w->NumericFormulaBand).mid(1),
             (QStringList{"U(g) = ", "  0.333 * u1( g1(a) ) ", "+ 0.333 * u2( g2(a) ) ",
                          "+ 0.333 * u3( g3(a) ) "}));
    const QList<TQRLabel *> sum = Labels(Raport_w->NumericFormulaBand);
    QCOMPARE(sum[3]->Left(), sum[2]->Left() - 4);

    // Clearing hands the formula labels back to the document; they live on.
    Raport_w->ClearReport();
    for (TQRLabel *label : formula)
        QCOMPARE(label->parent(), (QObject *)Raport);
}

void TestReportWizard::formulaSignsByMetrics() {
    TReportFixture::MakeProblem(2, 0);
    Raport_w->show();
    TReportFixture::Choose(false, true, false, false, false);
    Raport_w->BBtn_CreateClick();
    const TQRPage &page = Raport->QR_Main->QRPrinter()->Pages.Page(0);
    QRectF band;
    for (const TQRPlacedBand &placed : page.Bands) {
        if (placed.Name == QLatin1String("GeneralFormulaBand"))
            band = placed.Rect;
    }
    QVERIFY(!band.isEmpty());
    // Each formula label's run on the page, found by its place.
    const auto runOf = [&](const TQRLabel *label) -> const TQRPageOp * {
        for (const TQRPageOp &op : page.Ops) {
            if (op.kind == TQRPageOp::Text &&
                op.Rect.topLeft() == band.topLeft() + QPointF(label->BoundsRect().topLeft()))
                return &op;
        }
        return nullptr;
    };
    for (const TQRLabel *label : Raport->FormulaLabels())
        QVERIFY2(runOf(label), qPrintable(label->objectName()));
    const TQRPageOp &bracketRun = *runOf(Raport->F8);
    const QRectF left = InkOf(*runOf(Raport->F1), band);
    const QRectF sign = InkOf(*runOf(Raport->F4), band);
    const QRectF bracket = InkOf(bracketRun, band);
    const QRectF n = InkOf(*runOf(Raport->F2), band);
    const QRectF under = InkOf(*runOf(Raport->F3), band);
    // The sign shows on the page as the preview paints it: the page with it
    // has more ink in its place than the page without it.
    QVERIFY2(sign.width() > 5 && sign.height() > 10, "the product sign shows no ink");
    TQRPage without = page;
    without.Ops.erase(without.Ops.begin() + (runOf(Raport->F4) - page.Ops.data()));
    QVERIFY(InkIn(TQRPageSet({page}), sign) > InkIn(TQRPageSet({without}), sign) + 20);

    // The sign stands clear of "=" and of the bracket, halfway between them.
    const double before = sign.left() - left.right(), after = bracket.left() - sign.right();
    QVERIFY2(before >= 3 && after >= 3 && qAbs(before - after) <= 1.5,
             qPrintable(QStringLiteral("%1 | %2").arg(before).arg(after)));
    QVERIFY(band.contains(n) && band.contains(under));
    // "n" over it and "i" under it, centred, near but not touching.
    QVERIFY(n.bottom() < sign.top() && n.bottom() > sign.top() - 6);
    QVERIFY(under.top() > sign.bottom() && under.top() < sign.bottom() + 6);
    QVERIFY(qAbs(n.center().x() - sign.center().x()) <= 1.5);
    QVERIFY(qAbs(under.center().x() - sign.center().x()) <= 1.5);

    // Each subscript sits between its letter and what follows, below the line.
    const QString text = bracketRun.String;
    const QFontMetricsF metrics(QRDesignFont(Raport->F8->Font));
    const double baseline = InkOf(bracketRun, band, QStringLiteral("k")).bottom();
    const struct {
        const TQRLabel *Label;
        QString Letter;
    } subscripts[] = {{Raport->F5, "(k"}, {Raport->F6, "K * u"}, {Raport->F7, "(g"}};
    for (const auto &s : subscripts) {
        const QString upTo = text.left(text.indexOf(s.Letter) + s.Letter.size());
        const QRectF letter = InkOf(bracketRun, band, upTo);
        const QRectF next =
            InkOf(bracketRun, band, text.mid(upTo.size()), metrics.horizontalAdvance(upTo));
        const QRectF sub = InkOf(*runOf(s.Label), band);
        QVERIFY2(sub.left() >= letter.right() + 1 && sub.right() <= next.left() - 1,
                 qPrintable(QStringLiteral("%1: %2 < [%3, %4] < %5")
                                .arg(s.Letter)
                                .arg(letter.right())
                                .arg(sub.left())
                                .arg(sub.right())
                                .arg(next.left())));
        QVERIFY(sub.bottom() > baseline + 2);
    }
}

void TestReportWizard::rankingBands() {
    TReportFixture::MakeProblem(2, 3);
    TPROBLEM &colour = Kavrel->Criteria[1];
    colour.Enumerated = true;
    colour.Values = {TEnumvalue{48, QStringLiteral("red")}};
    Raport_w->show();
    TReportFixture::Choose(false, false, false, false, true);
    Raport_w->BBtn_CreateClick();
    QCOMPARE(Captions(Raport_w->RankingBand),
             (QStringList{"Ranking :", "Place", "Name", "Utility", "Criterium", "Value"}));
    // The ranking scratch table: header and one row per alternative, best first.
    QTableWidget *grid = Raport->Grid_ranking;
    QCOMPARE(grid->columnCount(), 6);
    QCOMPARE(grid->rowCount(), 4);
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Ranking position"));
    QCOMPARE(grid->item(0, 3)->text(), QStringLiteral("Attribute utility"));
    QCOMPARE(Raport_w->SortedAlternatives.size(), size_t(3));
    for (size_t k = 0; k < 3; ++k) {
        TQRBand *band = Raport_w->AlternativeBands[k];
        QCOMPARE(band->Height, 40);
        const QList<TQRLabel *> cells = Labels(band);
        QCOMPARE(cells.size(), 7);
        QStringList row;
        for (int c = 0; c < grid->columnCount(); ++c)
            row << grid->item(int(k) + 1, c)->text();
        QCOMPARE(Captions(band), (QStringList{"c1", row[4], "c2", row[5], row[0], row[1], row[3]}));
        QCOMPARE(cells[2]->BoundsRect(), QRect(370, 20, 170, 20));
        QCOMPARE(cells[3]->BoundsRect(), QRect(540, 20, 170, 20));
        QCOMPARE(cells[5]->BoundsRect(), QRect(100, 0, 200, 40));
        QVERIFY(cells[0]->Frame.DrawBottom && cells[0]->Frame.DrawRight);
        QVERIFY(cells[1]->Frame.DrawBottom && !cells[1]->Frame.DrawRight);
    }
    // a2 has 37 for c2... a1 has 11: values show as the enumeration's label when it has one.
    QStringList values;
    for (int r = 1; r < 4; ++r)
        values << grid->item(r, 5)->text();
    QVERIFY(values.contains(QStringLiteral("red")));
    QVERIFY(values.contains(QStringLiteral("11")));
}

void TestReportWizard::secondCreateHoldsNothingOfFirst() {
    TReportFixture::MakeProblem(3, 5);
    Raport_w->show();
    Raport_w->BBtn_CreateClick();
    const size_t firstBands = Raport->QR_Main->Bands().size();
    const QStringList firstPage = Raport->Memo_HTML;
    QPointer<TQRBand> oldRanking = Raport_w->RankingBand.data();
    Raport_w->show();
    QVERIFY(oldRanking.isNull());
    QCOMPARE(Raport->QR_Main->Bands().size(), size_t(2)); // the title and the page footer
    QCOMPARE(Raport->Memo_HTML, Raport->Memo_Begining_Of_File);
    Raport_w->BBtn_CreateClick();
    QCOMPARE(Raport->QR_Main->Bands().size(), firstBands);
    QCOMPARE(Raport->Memo_HTML, firstPage);
    QCOMPARE(Raport->QRBand_Title->Printables().size(), 2); // the title and one date
}

void TestReportWizard::clearingKeepsWhatCreateProduced() {
    TReportFixture::MakeProblem(2, 2);
    Raport_w->show();
    Raport_w->BBtn_CreateClick();
    const QStringList page = Raport->Memo_HTML;
    QCOMPARE(Raport->CreatedHtml, page);
    QCOMPARE(int(Raport->CreatedChartPictures.size()), 2);
    QCOMPARE(Raport->CreatedChartPictures[0].size(), QSize(300, 190));
    // Cancelling the wizard while the preview shows the report: slots and count go together,
    // and what Create produced stays for the preview.
    Raport_w->show();
    Raport_w->BBtn_CancelClick();
    QVERIFY(Raport_w->ReportedCriteria.empty());
    QVERIFY(Raport_w->ReportCharts[0].isNull());
    QCOMPARE(Raport->CreatedHtml, page);
    QCOMPARE(int(Raport->CreatedChartPictures.size()), 2);
    QVERIFY(!Raport->CreatedChartPictures[1].isNull());
}

void TestReportWizard::titleAndFooter() {
    TReportFixture::MakeProblem(1, 0);
    Raport_w->show();
    Raport_w->Edit_Title->setText(QStringLiteral("June"));
    QCOMPARE(Raport->QRL_Title->Caption(), QStringLiteral("June"));
    QVERIFY(Raport->QR_Main->ReportTitle.isEmpty());
    Raport_w->BBtn_CreateClick();
    QCOMPARE(Raport->QR_Main->ReportTitle, QStringLiteral("June"));
    const QStringList texts = Raport->QR_Main->QRPrinter()->Pages.Page(0).Texts();
    QVERIFY(texts.contains(QStringLiteral("June")));
    QVERIFY(texts.contains(QStringLiteral("Page nr")));
    QVERIFY(texts.contains(Raport_w->Edit_Date->text()));
}

void TestReportWizard::pagination() {
    // Short: one page. Long: every alternative laid out, the page count as prepared,
    // and the same count however often the report is prepared again.
    TReportFixture::MakeProblem(2, 3);
    Raport_w->show();
    Raport_w->BBtn_CreateClick();
    QCOMPARE(Raport->QR_Main->QRPrinter()->PageCount(), 2);
    QCOMPARE(Raport->PageCounter, 2);

    TReportFixture::MakeProblem(10, 150);
    Raport_w->show();
    Raport_w->BBtn_CreateClick();
    QCOMPARE(Raport_w->AlternativeBands.size(), size_t(150));
    const int pages = Raport->QR_Main->QRPrinter()->PageCount();
    QVERIFY(pages > 10);
    QCOMPARE(Raport->PageCounter, pages);
    Raport->QR_Main->Prepare();
    Raport->QR_Main->Prepare();
    QCOMPARE(Raport->PageCounter, pages);

    // Chains stay together: each criterion band whole on a page, the ranking
    // header with its first alternative.
    const TQRPageSet set = Raport->QR_Main->QRPrinter()->Pages;
    int rankingPage = -1, firstRowPage = -1;
    for (int i = 0; i < set.PageCount(); ++i) {
        for (const TQRPlacedBand &b : set.Page(i).Bands) {
            QVERIFY2(!b.Clipped, qPrintable(b.Name));
            if (b.Name == QLatin1String("RankingBand"))
                rankingPage = i;
            if (b.Name == QLatin1String("AlternativeBand0"))
                firstRowPage = i;
        }
    }
    QVERIFY(rankingPage >= 0);
    QCOMPARE(firstRowPage, rankingPage);
}

void TestReportWizard::printToPdf() {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdftotext.isEmpty() || pdfinfo.isEmpty())
        QSKIP("poppler-utils are not installed");
    TReportFixture::MakeProblem(3, 12);
    Raport_w->show();
    Raport_w->Edit_Title->setText(QStringLiteral("Flats in June"));
    Raport_w->BBtn_CreateClick();
    const int pages = Raport->QR_Main->QRPrinter()->PageCount();

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    QString error;
    QVERIFY2(Raport->QR_Main->Print(printer, &error), qPrintable(error));
    QCOMPARE(Raport->PageCounter, pages);

    const QString info = RunTool(pdfinfo, {file});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))),
             qPrintable(info));
    const QString text = RunTool(pdftotext, {QStringLiteral("-layout"), file, QStringLiteral("-")});
    QVERIFY(text.contains(QStringLiteral("Flats in June")));
    QVERIFY(text.contains(QStringLiteral("Criteria :")));
    QVERIFY(text.contains(QStringLiteral("Ranking :")));
    QCOMPARE(text.count(QStringLiteral("Page nr")), pages);
    QVERIFY2(text.contains(QChar(0x220F)), "the formula's product sign is not in the PDF");
}

void TestReportWizard::htmlTitleOnly() {
    TReportFixture::MakeProblem(2, 2);
    Raport_w->show();
    Raport_w->ChB_Date->setChecked(false);
    TReportFixture::Choose(false, false, false, false, false);
    Raport_w->BBtn_CreateClick();
    QCOMPARE(Raport->Memo_HTML.mid(0, Raport->Memo_Begining_Of_File.size()),
             Raport->Memo_Begining_Of_File);
    QCOMPARE(Body(),
             (QStringList{"<div STYLE=\"font-family: Arial; font-size: 22pt; font-weight: bold; "
                          "position:absolute; left:32; top:39\"><p>Kavrel Report</p></div> ",
                          "</BODY>", "</HTML>"}));
}

void TestReportWizard::htmlCriteria() {
    TReportFixture::MakeProblem(4, 0);
    Raport_w->show();
    Raport_w->ChB_Date->setChecked(false);
    TReportFixture::Choose(true, false, false, false, false);
    Raport_w->RB_User->setChecked(true);
    Raport_w->RB_UserClick();
    Raport_w->ChLB_Criteria->item(1)->setCheckState(Qt::Checked);
    Raport_w->ChLB_Criteria->item(3)->setCheckState(Qt::Checked);
    Raport_w->BBtn_CreateClick();
    const QStringList body = Body();
    QCOMPARE(body.at(1), Html::Div(1, 30, 117, QStringLiteral("Criteria :")));
    // Block 0 is c2 at the top of 167: its first row, its picture, method and description.
    const QList<TQRLabel *> labels = Labels(Raport_w->CriterionBands[0]);
    QStringList expected;
    for (int i = 0; i < 10; ++i)
        expected << Html::Div(i % 2 ? 3 : 2, labels[i]->Left(), 167, labels[i]->Caption());
    QCOMPARE(body.mid(2, 10), expected);
    const int chartTop = Raport_w->ReportCharts[0]->Top();
    QCOMPARE(body.at(12), QStringLiteral("<IMG style=\"position:absolute; left:50px; top:%1px\" "
                                         "SRC=\"chart0.jpg\" >")
                              .arg(167 + chartTop));
    QCOMPARE(body.at(13), Html::Div(2, 358, 167 + chartTop, QStringLiteral("Method used :")));
    QCOMPARE(body.at(14).right(56),
             QStringLiteral("><p>Certainty equivalent(variable probability)</p></div>"));
    QVERIFY(body.at(15).endsWith(QStringLiteral("<p>Description :</p></div>")));
    QCOMPARE(body.at(16),
             Html::Div(3, 404, 167 + Labels(Raport_w->CriterionBands[0])[12]->Bottom() + 10,
                       QStringLiteral("About c2")));
    // Block 1 (c4) is the second picture; every picture line names "chart" once.
    const QStringList images = body.filter(QRegularExpression(QStringLiteral("^<IMG")));
    QCOMPARE(images.size(), 2);
    QVERIFY(images.at(1).contains(QStringLiteral("top:%1px").arg(447 + chartTop)));
    QVERIFY(images.at(1).contains(QStringLiteral("SRC=\"chart1.jpg\"")));
    QVERIFY(body.contains(Html::Div(3, labels[1]->Left(), 447, QStringLiteral("c4"))));
    QCOMPARE(body.mid(body.size() - 2), (QStringList{"</BODY>", "</HTML>"}));
}

void TestReportWizard::htmlFormula() {
    TReportFixture::MakeProblem(2, 0);
    Raport_w->show();
    Raport_w->ChB_Date->setChecked(false);
    TReportFixture::Choose(false, true, true, true, false);
    Raport_w->BBtn_CreateClick();
    const QStringList body = Body();
    // Formula band at 107, the general formula at 147, the numbers at 237, k at 327.
    // The sign and the indices stand where the report's fonts put them.
    const auto at = [](int style, const TQRLabel *label) {
        return Html::Div(style, label->Left(), 147 + label->Top(), label->Caption());
    };
    QCOMPARE(
        body.mid(1, 10),
        (QStringList{Html::Div(1, 30, 117, "Utility function formula "),
                     Html::Div(2, 50, 157, "Formula of Keeney's-Raiff's method :"),
                     "<div  class=STYL5 STYLE=\"left:232; top:195\"><p>K * U(a) + 1 = "
                     "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;"
                     "</p></div>",
                     at(7, Raport->F2), at(7, Raport->F3), at(6, Raport->F4), at(7, Raport->F5),
                     at(7, Raport->F6), at(7, Raport->F7), at(5, Raport->F8)}));
    QCOMPARE(Raport->F4->Caption(), QString(QChar(0x220F)));
    QCOMPARE(Raport->F8->Caption(), QStringLiteral("(k * K * u  (g  (a)) + 1)"));
    const QList<TQRLabel *> numeric = Labels(Raport_w->NumericFormulaBand);
    QCOMPARE(body.at(11), Html::Div(2, 50, 247, "Formula :"));
    QCOMPARE(body.at(12), Html::Div(3, numeric[1]->Left(), 247, "0.500 * U(g) + 1 = "));
    QCOMPARE(body.at(13), Html::Div(3, numeric[2]->Left(), 247, "( 0.150 * u1( g1(a) ) + 1 ) "));
    QCOMPARE(body.at(14),
             Html::Div(3, numeric[2]->Left() - 8, 267, "* ( 0.150 * u2( g2(a) ) + 1 ) "));
    const int K = Raport_w->CoefficientBand->Top;
    const QList<TQRLabel *> k = Labels(Raport_w->CoefficientBand);
    QCOMPARE(
        body.mid(15, 6),
        (QStringList{Html::Div(2, 50, K + 10, "Utility scaling factor :"),
                     Html::Div(2, 50, K + 40, "Scalling coefficients :"),
                     Html::Div(3, k[2]->Left(), K + k[2]->Top(), "k1 = 0.300"),
                     Html::Div(3, k[3]->Left(), K + 10, "K = 0.500"),
                     Html::Div(3, k[2]->Left(), K + k[2]->Top() + 20, "k2 = 0.300"), "</BODY>"}));
}

void TestReportWizard::htmlRanking() {
    TReportFixture::MakeProblem(3, 3, {true, false, true});
    Raport_w->show();
    Raport_w->ChB_Date->setChecked(false);
    TReportFixture::Choose(false, false, false, false, true);
    Raport_w->BBtn_CreateClick();
    const QStringList body = Body();
    QCOMPARE(body.at(1), Html::Div(1, 38, 117, "Ranking :"));
    QCOMPARE(body.mid(2, 20),
             (QStringList{"<TABLE BORDER=2 BORDERCOLOR=black style=\"position:absolute; left:30px; "
                          "top:157px \" >",
                          "<TR>",
                          "<TD WIDTH=70>",
                          "Place",
                          "</TD>",
                          "<TD WIDTH=200>",
                          "Name",
                          "</TD>",
                          "<TD  WIDTH=70>",
                          "Utility",
                          "</TD>",
                          "<TD WIDTH=170>",
                          "Criterium",
                          "</TD>",
                          "<TD WIDTH=170>",
                          "Value",
                          "</TD>",
                          "</TR>",
                          "</TABLE>",
                          "<TABLE BORDER=2 BORDERCOLOR=black style=\"position:absolute; left:30px; "
                          "top:187px \" >"}));
    // Three alternatives of two used criteria: six rows, the first of each with five cells.
    const QStringList rows = body.mid(22, body.size() - 22 - 3);
    QCOMPARE(rows.count(QStringLiteral("<TR>")), 6);
    QCOMPARE(rows.count(QStringLiteral("</TR>")), 6);
    QCOMPARE(rows.filter(QStringLiteral("ROWSPAN=2")).size(), 9);
    const QTableWidget *grid = Raport->Grid_ranking;
    QCOMPARE(rows.mid(0, 23), (QStringList{"<TR>",
                                           "<TD WIDTH=70 ROWSPAN=2>",
                                           "1",
                                           "</TD>",
                                           "<TD WIDTH=200 ROWSPAN=2>",
                                           grid->item(1, 1)->text(),
                                           "</TD>",
                                           "<TD WIDTH=70 ROWSPAN=2>",
                                           grid->item(1, 3)->text(),
                                           "</TD>",
                                           "<TD WIDTH=170>",
                                           "c1",
                                           "</TD>",
                                           "<TD WIDTH=170>",
                                           grid->item(1, 4)->text(),
                                           "</TD>",
                                           "</TR>",
                                           "<TR>",
                                           "<TD WIDTH=170>",
                                           "c3",
                                           "</TD>",
                                           "<TD WIDTH=170>",
                                           grid->item(1, 5)->text()}));
    QCOMPARE(body.mid(body.size() - 3), (QStringList{"</TABLE>", "</BODY>", "</HTML>"}));

    // No used criterion: one row per alternative, no ROWSPAN=0.
    for (TPROBLEM &c : Kavrel->Criteria)
        c.Used = false;
    Raport_w->show();
    Raport_w->BBtn_CreateClick();
    const QStringList plain = Body();
    QVERIFY(plain.filter(QStringLiteral("ROWSPAN")).isEmpty());
    QCOMPARE(plain.count(QStringLiteral("<TR>")), 1 + 3);
    QCOMPARE(plain.count(QStringLiteral("</TR>")), 1 + 3);
}

void TestReportWizard::htmlMarkupAndEncoding() {
    TReportFixture::MakeProblem(1, 1);
    Kavrel->Criteria[0].Name = QString::fromUtf8("Łódź<b>");
    Kavrel->Criteria[0].Description = QStringLiteral("<IMG src=chart9.jpg>\nA & B");
    Kavrel->Variants.Alternatives[0].Name = QStringLiteral("<IMG chart>");
    Raport_w->show();
    Raport_w->Edit_Title->setText(QStringLiteral("Cars & \"vans\" <2024>"));
    Raport_w->BBtn_CreateClick();
    const QStringList body = Body();
    QVERIFY(body.at(0).contains(
        QStringLiteral("<p>Cars &amp; &quot;vans&quot; &lt;2024&gt;</p></div> ")));
    QVERIFY(body.contains(Html::Div(3, Labels(Raport_w->CriterionBands[0])[1]->Left(), 167,
                                    QString::fromUtf8("Łódź<b>"))));
    QVERIFY(body.filter(QString::fromUtf8("Łódź&lt;b&gt;")).size() >= 2); // block and ranking
    // Only the chart's own picture line begins with "<IMG" and holds "chart".
    QCOMPARE(body.filter(QRegularExpression(QStringLiteral("^<IMG"))).size(), 1);
    QVERIFY(body.contains(QStringLiteral("&lt;IMG chart&gt;")));
    QVERIFY(body.filter(QStringLiteral("&lt;IMG src=chart9.jpg&gt;")).size() == 1);
    QVERIFY(body.filter(QStringLiteral("A &amp; B")).size() == 1);
    for (const QString &line : Raport->Memo_HTML)
        QVERIFY(!line.contains(QLatin1Char('\n')));
    // Written in the encoding it declares.
    const QByteArray bytes = Html::Encode(Raport->Memo_HTML);
    QVERIFY(bytes.contains("\xA3\xF3"
                           "d\x9F&lt;b&gt;"));
    QVERIFY(bytes.contains("charset=windows-1250"));
}

VR_GUI_TEST_MAIN(TestReportWizard)
#include "tst_reportwizard.moc"
