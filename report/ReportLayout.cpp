// The wizard's Create: the printable report laid out on the report document's
// QR_Main, section by section, and the HTML page written line by line from the
// components just laid out.
#include "app/Dazazezad.h"
#include "elicitation/Chartmain.h"
#include "report/F_raport.h"
#include "report/F_raport_w.h"

#include <QTableWidget>
#include <algorithm>

namespace {
const QString Arial = QStringLiteral("Arial");
// Where the first band under the title starts on the design surface.
constexpr int TitleBandBottom = 107;
} // namespace

void TRaport_w::AddHtmlLine(const QString &line) {
    Raport->Memo_HTML.append(line);
}

void TRaport_w::AddHtml(int style, int left, int top, const QString &text) {
    AddHtmlLine(Html::Div(style, left, top, text));
}

TQRChildBand *TRaport_w::NewChildBand(TQRBand *previous, int height) {
    auto *band = new TQRChildBand(Raport->QR_Main);
    band->SetParentBand(previous);
    band->Top =
        previous == Raport->QRBand_Title ? TitleBandBottom : previous->Top + previous->Height;
    band->Height = height;
    return band;
}

TQRLabel *TRaport_w::MakeLabel(TQRBand *band, const QString &caption, int size, bool bold, int left,
                               int top) {
    auto *label = new TQRLabel(band);
    label->SetWidth(70);
    auto font = labelFonts_.find({size, bold});
    if (font == labelFonts_.end())
        font = labelFonts_.emplace(std::pair(size, bold), QRFont(Arial, size, bold)).first;
    label->Font = font->second;
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
}

TQRLabel *TRaport_w::NewLabel(TQRBand *band, const QString &caption, int size, bool bold, int left,
                              int top) {
    TQRLabel *label = MakeLabel(band, caption, size, bold, left, top);
    printables_.emplace_back(label);
    return label;
}

void TRaport_w::BBtn_CreateClick() {
    // Create is disabled while the preview prints the report it shows.
    if (!Kavrel || !Raport || !BBtn_Create->isEnabled())
        return;
    Raport->PageCounter = 0;
    ApplySilentCorrections();

    Raport->QRL_Title->SetCaption(Edit_Title->text());
    Raport->QR_Main->ReportTitle = Edit_Title->text();
    ClearReport();
    AddHtmlLine(
        Html::Title(Raport->QRL_Title->Left(), Raport->QRL_Title->Top(), Edit_Title->text()));

    TVARIANTS &variants = Kavrel->Variants;
    if (!variants.Alternatives.empty() && !variants.Columns.empty())
        Kavrel->ComputeAlternativeUtilities();

    if (ChB_Date->isChecked())
        LayoutDate();
    TQRBand *last = Raport->QRBand_Title;
    if (ChB_Criteria->isChecked())
        last = LayoutCriteria(last);
    if (ChB_Formula->isChecked())
        last = LayoutFormula(last);
    if (ChB_Ranking->isChecked())
        last = LayoutRanking(last);
    AddHtmlLine(QStringLiteral("</BODY>"));
    AddHtmlLine(QStringLiteral("</HTML>"));

    // What the preview shows stays as Create made it, whatever the wizard does meanwhile.
    Raport->CreatedHtml = Raport->Memo_HTML;
    Raport->CreatedChartPictures.clear();
    for (size_t p = 0; p < ReportedCriteria.size(); ++p)
        Raport->CreatedChartPictures.push_back(ReportCharts[p] ? ReportCharts[p]->ToImage(1.0)
                                                               : QImage());

    hide();
    if (ShowPreview)
        ShowPreview();
    Raport->QR_Main->Preview();
}

void TRaport_w::LayoutDate() {
    auto *label = new TQRLabel(Raport->QRBand_Title);
    label->AlignToBand = true;
    label->Alignment = taRightJustify;
    label->SetTop(10);
    label->SetWidth(70);
    label->Font = Raport->QR_Main->Font;
    label->SetCaption(Edit_Date->text());
    DateLabel = label;
    AddHtml(6, label->Left(), label->Top(), label->Caption());
}

TQRBand *TRaport_w::LayoutCriteria(TQRBand *) {
    CriteriaBand = new TQRBand(Raport->QR_Main, rbDetail);
    CriteriaBand->setObjectName(QStringLiteral("CriteriaBand"));
    CriteriaBand->Top = TitleBandBottom;
    CriteriaBand->Height = 60;
    TQRLabel *caption = NewLabel(CriteriaBand, QStringLiteral("Criteria :"), 16, true, 30, 10);
    caption->AlignToBand = true;
    caption->Alignment = taLeftJustify;
    CriteriaCaption = caption;
    AddHtml(1, 30, CriteriaBand->Top + 10, caption->Caption());

    ReportedCriteria = ReportedCriteriaOf(Kavrel->Criteria, CriteriaChoice(), TickedCriteria());
    TQRBand *previous = CriteriaBand;
    for (int p = 0; p < int(ReportedCriteria.size()); ++p) {
        LayoutCriterion(p, previous);
        previous = CriterionBands[size_t(p)];
    }
    return previous;
}

void TRaport_w::LayoutCriterion(int p, TQRBand *previous) {
    const TPROBLEM &criterion = Kavrel->Criteria[size_t(ReportedCriteria[size_t(p)])];
    TQRChildBand *band = NewChildBand(previous, 280);
    band->setObjectName(QStringLiteral("CriterionBand%1").arg(p));
    CriterionBands[size_t(p)] = band;
    const int T = band->Top;

    const QString row[10] = {
        QStringLiteral("Name :"), OneLine(criterion.Name),
        QStringLiteral("Type :"), criterion.Cost ? QStringLiteral("Cost") : QStringLiteral("Gain"),
        QStringLiteral("Min :"),  FloatToStr(criterion.Min),
        QStringLiteral("Max :"),  FloatToStr(criterion.Max),
        QStringLiteral("Used :"), criterion.Used ? QStringLiteral("Yes") : QStringLiteral("No")};
    TQRLabel *first = nullptr;
    TQRLabel *before = nullptr;
    for (int i = 0; i < 10; ++i) {
        const bool caption = i % 2 == 0;
        const int left = before ? before->Right() + 15 : 50;
        TQRLabel *label = NewLabel(band, row[i], 14, caption, left, first ? first->Top() : 0);
        AddHtml(caption ? 2 : 3, label->Left(), T + label->Top(), label->Caption());
        if (!first)
            first = label;
        before = label;
    }

    auto *chart = new TQRChart(band);
    chart->SetBounds(50, first->Top() + first->Height() + 5, 300, 190);
    printables_.emplace_back(chart);
    ReportCharts[size_t(p)] = chart;
    TChart *inner = chart->Chart();
    inner->View3D = false;
    inner->LegendVisible = false;
    auto *series = new TLineSeries(inner);
    if (ChB_Graphic->isChecked() && Form_chart)
        inner->Assign(*Form_chart->Chart);
    inner->Title.Text.clear();
    inner->BottomAxis.Title.SetCaption(OneLine(criterion.Name) + QStringLiteral(" [") +
                                       OneLine(criterion.Units) + QStringLiteral("]"));
    inner->LeftAxis.Title.SetCaption(QStringLiteral("U (") + OneLine(criterion.Name) +
                                     QStringLiteral(")"));
    inner->RightAxis.Title.SetCaption(inner->LeftAxis.Title.Caption);
    for (const TFuncPoint &point : criterion.Points)
        series->AddXY(point.x, point.u, QString(), clTeeColor);
    Kavrel->SetupFunctionSeries(series);
    inner->Invalidate();
    AddHtmlLine(Html::Image(T + chart->Top(), p));

    TQRLabel *method =
        NewLabel(band, QStringLiteral("Method used :"), 14, true, chart->Right() + 8, chart->Top());
    AddHtml(2, method->Left(), T + method->Top(), method->Caption());
    TQRLabel *methodText = NewLabel(band, MethodText(criterion.Method), 14, false,
                                    chart->Right() + 54, method->Top() + method->Height() + 5);
    // The longer method texts would run off the band: moved left as far as the caption.
    if (methodText->Right() > band->Width)
        methodText->SetLeft(std::max(method->Left(), band->Width - methodText->Width()));
    AddHtml(3, methodText->Left(), T + methodText->Top(), methodText->Caption());

    if (ChB_Description->isChecked()) {
        TQRLabel *caption =
            NewLabel(band, QStringLiteral("Description :"), 14, true, chart->Right() + 8,
                     methodText->Top() + methodText->Height() + 5);
        AddHtml(2, caption->Left(), T + caption->Top(), caption->Caption());
        auto *memo = new TQRMemo(band);
        memo->Font = QRFont(Arial, 14);
        memo->SetBounds(chart->Right() + 54, caption->Top() + caption->Height() + 10, 300, 150);
        memo->Lines = Html::DescriptionLines(criterion.Description, 1 << 20);
        printables_.emplace_back(memo);
        // The page shows the memo's lines as printed, and no more than the memo holds.
        QStringList lines = WrapLines(memo->Lines, QRDesignFont(memo->Font), memo->Width());
        lines = lines.mid(0, std::max(memo->Height() / 20, 1));
        for (int j = 0; j < lines.size(); ++j)
            AddHtml(3, memo->Left(), T + memo->Top() + 20 * j, lines.at(j));
    }
}

TQRBand *TRaport_w::LayoutFormula(TQRBand *previous) {
    const TDecisionModel &model = Kavrel->Model;
    const int precision = Kavrel->ProbabilityPrecision;
    const std::vector<int> used = UsedCriteriaOf(model.Criteria);
    const bool additive = model.IsAdditive();

    FormulaBand = NewChildBand(previous, 40);
    FormulaBand->setObjectName(QStringLiteral("FormulaBand"));
    TQRLabel *caption =
        NewLabel(FormulaBand, QStringLiteral("Utility function formula "), 16, true, 30, 10);
    caption->AlignToBand = true;
    caption->Alignment = taLeftJustify;
    AddHtml(1, 30, FormulaBand->Top + 10, caption->Caption());
    TQRBand *last = FormulaBand;

    if (ChB_FormulaKR->isChecked()) {
        GeneralFormulaBand = NewChildBand(FormulaBand, 90);
        GeneralFormulaBand->setObjectName(QStringLiteral("GeneralFormulaBand"));
        const int F = GeneralFormulaBand->Top;
        TQRLabel *title =
            NewLabel(GeneralFormulaBand, QStringLiteral("Formula of Keeney's-Raiff's method :"), 14,
                     true, 50, 10);
        AddHtml(2, 50, F + 10, title->Caption());
        static const int styles[8] = {5, 7, 7, 6, 7, 7, 7, 5};
        const auto labels = Raport->FormulaLabels();
        for (size_t i = 0; i < labels.size(); ++i) {
            labels[i]->setParent(GeneralFormulaBand);
            AddHtml(styles[i], labels[i]->Left(), F + labels[i]->Top(), labels[i]->Caption());
        }
        last = GeneralFormulaBand;
    }

    if (ChB_FormulaF->isChecked()) {
        NumericFormulaBand = NewChildBand(last, 90);
        NumericFormulaBand->setObjectName(QStringLiteral("NumericFormulaBand"));
        FormulaBand->SetLinkBand(NumericFormulaBand);
        const int F = NumericFormulaBand->Top;
        TQRLabel *title =
            NewLabel(NumericFormulaBand, QStringLiteral("Formula :"), 14, true, 50, 10);
        AddHtml(2, 50, F + 10, title->Caption());
        TQRLabel *left = NewLabel(NumericFormulaBand, FormulaLeftSide(additive, precision), 14,
                                  false, title->Right() + 10, title->Top());
        AddHtml(3, left->Left(), F + left->Top(), left->Caption());
        TQRLabel *first = nullptr;
        TQRLabel *factor = nullptr;
        for (int j = 0; j < int(used.size()); ++j) {
            const double k = model.Criteria[size_t(used[size_t(j)])].SmallK;
            const QString text = FormulaFactor(additive, j, k, precision);
            factor =
                first
                    ? NewLabel(NumericFormulaBand, text, 14, false,
                               first->Left() - FormulaFactorIndent(additive), first->Top() + 20 * j)
                    : NewLabel(NumericFormulaBand, text, 14, false, left->Right(), left->Top());
            if (!first)
                first = factor;
            AddHtml(3, factor->Left(), F + factor->Top(), factor->Caption());
        }
        if (used.size() > 1)
            NumericFormulaBand->Height = factor->Bottom();
        last = NumericFormulaBand;
    }

    if (ChB_FormulaK->isChecked()) {
        CoefficientBand = NewChildBand(last, 80);
        CoefficientBand->setObjectName(QStringLiteral("CoefficientBand"));
        FormulaBand->SetLinkBand(CoefficientBand);
        const int F = CoefficientBand->Top;
        TQRLabel *factorCaption =
            NewLabel(CoefficientBand, QStringLiteral("Utility scaling factor :"), 14, true, 50, 10);
        AddHtml(2, 50, F + 10, factorCaption->Caption());
        TQRLabel *kCaption =
            NewLabel(CoefficientBand, QStringLiteral("Scalling coefficients :"), 14, true, 50, 40);
        AddHtml(2, 50, F + 40, kCaption->Caption());
        TQRLabel *k1 = nullptr;
        if (!used.empty()) {
            k1 = NewLabel(CoefficientBand,
                          QStringLiteral("k1 = ") +
                              FormatFixed(model.Criteria[size_t(used[0])].SmallK, precision),
                          14, false, kCaption->Right() + 5, kCaption->Bottom());
            AddHtml(3, k1->Left(), F + k1->Top(), k1->Caption());
        }
        TQRLabel *value =
            NewLabel(CoefficientBand, QStringLiteral("K = ") + FormatFixed(FactorK, precision), 14,
                     false, factorCaption->Right() + 5, factorCaption->Top());
        AddHtml(3, value->Left(), F + value->Top(), value->Caption());
        TQRLabel *k = k1;
        for (int j = 1; j < int(used.size()); ++j) {
            k = NewLabel(CoefficientBand,
                         QStringLiteral("k%1 = ").arg(j + 1) +
                             FormatFixed(model.Criteria[size_t(used[size_t(j)])].SmallK, precision),
                         14, false, k1->Left(), k1->Top() + 20 * j);
            AddHtml(3, k->Left(), F + k->Top(), k->Caption());
        }
        if (used.size() > 1)
            CoefficientBand->Height = k->Bottom();
        last = CoefficientBand;
    }
    return last;
}

TQRBand *TRaport_w::LayoutRanking(TQRBand *previous) {
    const TDecisionModel &model = Kavrel->Model;
    const std::vector<int> order = BestFirstOrder(model.Variants.Alternatives);
    SortedAlternatives.clear();
    for (int row : order)
        SortedAlternatives.push_back(model.Variants.Alternatives[size_t(row)]);
    const std::vector<QStringList> table = RankingTable(model, order, Kavrel->ProbabilityPrecision);
    const QStringList &header = table.front();
    const int columns = int(header.size());
    const int used = columns - 4;

    QTableWidget *grid = Raport->Grid_ranking;
    grid->clear();
    grid->setColumnCount(columns);
    grid->setRowCount(int(table.size()));
    for (int r = 0; r < int(table.size()); ++r) {
        for (int c = 0; c < columns; ++c)
            grid->setItem(r, c, new QTableWidgetItem(table[size_t(r)].at(c)));
    }

    RankingBand = NewChildBand(previous, 80);
    RankingBand->setObjectName(QStringLiteral("RankingBand"));
    RankingBand->Frame.DrawBottom = true;
    const int R = RankingBand->Top;
    TQRLabel *caption = NewLabel(RankingBand, QStringLiteral("Ranking :"), 16, true, 0, 10);
    caption->AlignToBand = true;
    caption->Alignment = taLeftJustify;
    AddHtml(1, RankingBand->Left, R + 10, caption->Caption());
    struct Column {
        const char *caption;
        int left;
        const char *cell;
    };
    static const Column captions[] = {{"Place", 30, "<TD WIDTH=70>"},
                                      {"Name", 100, "<TD WIDTH=200>"},
                                      {"Utility", 300, "<TD  WIDTH=70>"},
                                      {"Criterium", 370, "<TD WIDTH=170>"},
                                      {"Value", 540, "<TD WIDTH=170>"}};
    AddHtmlLine(Html::Table(R + 50));
    AddHtmlLine(QStringLiteral("<TR>"));
    for (const Column &column : captions) {
        TQRLabel *label =
            NewLabel(RankingBand, QLatin1String(column.caption), 14, false, column.left, 50);
        AddHtmlLine(QLatin1String(column.cell));
        AddHtmlLine(Html::Text(label->Caption()));
        AddHtmlLine(QStringLiteral("</TD>"));
    }
    AddHtmlLine(QStringLiteral("</TR>"));
    AddHtmlLine(QStringLiteral("</TABLE>"));
    AddHtmlLine(Html::Table(R + 80));

    // Cells go with their band: thousands of them need no tracking one by one.
    auto cell = [this](TQRBand *band, const QString &text, int left, int top, int width,
                       int height) {
        TQRLabel *label = MakeLabel(band, text, 11, false, left, top);
        label->AutoSize = false;
        label->SetWidth(width);
        label->SetHeight(height);
        label->Frame.Style = psInsideFrame;
        return label;
    };
    const QString rowSpan = used > 0 ? QStringLiteral(" ROWSPAN=%1").arg(used) : QString();
    TQRBand *before = RankingBand;
    for (size_t k = 0; k + 1 < table.size(); ++k) {
        const QStringList &row = table[k + 1];
        TQRChildBand *band = NewChildBand(before, 20);
        band->setObjectName(QStringLiteral("AlternativeBand%1").arg(k));
        AlternativeBands.emplace_back(band);
        band->Frame.DrawBottom = true;
        band->Frame.Style = psInsideFrame;
        band->Frame.Width = 2;
        if (k == 0) {
            RankingBand->SetLinkBand(band);
            RankingBand->Frame.Style = psInsideFrame;
            RankingBand->Frame.Width = 2;
        }
        QStringList nameCells, valueCells;
        for (int m = 0; m < used; ++m) {
            TQRLabel *name = cell(band, header.at(m + 4), 370, 20 * m, 170, 20);
            name->Frame.DrawBottom = true;
            name->Frame.DrawRight = true;
            TQRLabel *value = cell(band, row.at(m + 4), 540, 20 * m, 170, 20);
            value->Frame.DrawBottom = true;
            band->Height = 20 * (m + 1);
            nameCells << name->Caption();
            valueCells << value->Caption();
        }
        TQRLabel *place = cell(band, row.at(0), 30, 0, 70, band->Height);
        TQRLabel *name = cell(band, row.at(1), 100, 0, 200, band->Height);
        TQRLabel *utility = cell(band, row.at(3), 300, 0, 70, band->Height);
        for (TQRLabel *label : {place, name, utility})
            label->Frame.DrawRight = true;

        AddHtmlLine(QStringLiteral("<TR>"));
        const QString starts[3] = {QStringLiteral("<TD WIDTH=70"), QStringLiteral("<TD WIDTH=200"),
                                   QStringLiteral("<TD WIDTH=70")};
        const TQRLabel *cells[3] = {place, name, utility};
        for (int i = 0; i < 3; ++i) {
            AddHtmlLine(starts[i] + rowSpan + QStringLiteral(">"));
            AddHtmlLine(Html::Text(cells[i]->Caption()));
            AddHtmlLine(QStringLiteral("</TD>"));
        }
        for (int m = 0; m < used; ++m) {
            if (m > 0)
                AddHtmlLine(QStringLiteral("<TR>"));
            AddHtmlLine(QStringLiteral("<TD WIDTH=170>"));
            AddHtmlLine(Html::Text(nameCells.at(m)));
            AddHtmlLine(QStringLiteral("</TD>"));
            AddHtmlLine(QStringLiteral("<TD WIDTH=170>"));
            AddHtmlLine(Html::Text(valueCells.at(m)));
            AddHtmlLine(QStringLiteral("</TD>"));
            AddHtmlLine(QStringLiteral("</TR>"));
        }
        if (used == 0)
            AddHtmlLine(QStringLiteral("</TR>"));
        before = band;
    }
    AddHtmlLine(QStringLiteral("</TABLE>"));
    return before;
}
