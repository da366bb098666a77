// The report wizard: the user chooses the report's sections and criteria;
// Create lays out the printable report and its HTML page in one pass, then
// opens the preview.
#pragma once

#include "model/Variants.h"
#include "platform/Application.h"
#include "platform/Report.h"
#include "report/ReportContent.h"
#include "ui_F_raport_w.h"

#include <QDialog>
#include <QPointer>
#include <array>
#include <functional>
#include <map>
#include <vector>

class TRaport_w : public QDialog, public Ui::TRaport_w, public TKeyPreview {
    Q_OBJECT
public:
    explicit TRaport_w(QWidget *owner = nullptr);
    ~TRaport_w() override;

    // The wizard's two widths: without and with the check list of criteria.
    static constexpr int NarrowWidth = 363;
    static constexpr int WideWidth = 541;
    // Room for the instruction on two lines where the font needs them.
    static constexpr int WizardHeight = 403;

    // List positions of the reported criteria, in report order (at most 10).
    std::vector<int> ReportedCriteria;
    // The chart of each reported criterion, by report position.
    std::array<QPointer<TQRChart>, MaxCriteria> ReportCharts{};
    // The alternatives best first, as the ranking shows them.
    std::vector<TVARIANTDEF> SortedAlternatives;

    // Run-time report components (empty when no report is built).
    QPointer<TQRLabel> DateLabel;
    QPointer<TQRBand> CriteriaBand;
    QPointer<TQRLabel> CriteriaCaption;
    std::array<QPointer<TQRChildBand>, MaxCriteria> CriterionBands{};
    QPointer<TQRChildBand> FormulaBand, GeneralFormulaBand, NumericFormulaBand, CoefficientBand;
    QPointer<TQRChildBand> RankingBand;
    std::vector<QPointer<TQRChildBand>> AlternativeBands;

    // Shows the preview window; Create then asks the report to preview itself.
    std::function<void()> ShowPreview;

    // The report command of the main frame: shows the wizard, or brings it to the front.
    void Execute();

    void FormShow();
    void FormClose();
    void BitBtn1Click();
    void BBtn_CancelClick();
    void Edit_TitleChange();
    void ChB_FormulaClick();
    void ChB_CriteriaClick();
    void RB_UserClick();
    void RB_UsedClick();
    void RB_AllClick();
    void BBtn_CreateClick();

    // Destroys every run-time component of the report and puts the HTML page back to its head.
    void ClearReport();

    // The choices as Create reads them.
    TCriteriaChoice CriteriaChoice() const;
    std::vector<bool> TickedCriteria() const;

protected:
    bool PreviewKey(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void SetWizardWidth(int width);
    void FillCriteriaList();
    void ApplySilentCorrections();

    // The sections of the layout; each returns the last band it added.
    void LayoutDate();
    TQRBand *LayoutCriteria(TQRBand *previous);
    void LayoutCriterion(int p, TQRBand *previous);
    TQRBand *LayoutFormula(TQRBand *previous);
    TQRBand *LayoutRanking(TQRBand *previous);

    TQRChildBand *NewChildBand(TQRBand *previous, int height);
    // A label on `band` in Arial; NewLabel also keeps track of it in printables_.
    TQRLabel *MakeLabel(TQRBand *band, const QString &caption, int size, bool bold, int left,
                        int top);
    TQRLabel *NewLabel(TQRBand *band, const QString &caption, int size, bool bold, int left,
                       int top);
    void AddHtml(int style, int left, int top, const QString &text);
    void AddHtmlLine(const QString &line);

    // Every label, memo and chart of the report other than the ranking's
    // cells, which go with their band of AlternativeBands.
    std::vector<QPointer<TQRPrintable>> printables_;
    // The labels' fonts by size and weight: labels of one kind share one font.
    std::map<std::pair<int, bool>, QFont> labelFonts_;
};

extern TRaport_w *Raport_w;
