// Shared by the report tests: the frame with the report wizard and the report
// document, and a solved problem to report on.
#pragma once

#include "GuiTest.h"
#include "report/F_raport.h"
#include "report/F_raport_p.h"
#include "report/F_raport_w.h"

#include <QTableWidget>
#include <QTemporaryDir>

class TReportFixture : public TFrameFixture {
public:
    TReportFixture() {
        Raport_w = new TRaport_w(Kavrel);
        Raport = new TRaport(Kavrel);
        savedK_ = FactorK;
    }
    ~TReportFixture() {
        delete Raport_w;
        Raport_w = nullptr;
        delete Raport;
        Raport = nullptr;
        FactorK = savedK_;
    }

    // n criteria c1..cn (used as `used` says, all when empty) with three
    // points each, and `alternatives` alternatives a1.. with a value of each.
    static void MakeProblem(int n, int alternatives, QList<bool> used = {}) {
        TDecisionModel &model = Kavrel->Model;
        model.Criteria.clear();
        model.Variants = TVARIANTS();
        model.UsedCount = 0;
        for (int i = 0; i < n; ++i) {
            TPROBLEM c;
            c.Name = QStringLiteral("c%1").arg(i + 1);
            c.Units = QStringLiteral("kg");
            c.Description = QStringLiteral("About c%1").arg(i + 1);
            c.Id = i + 1;
            c.AttrID = QStringLiteral("Attr%1").arg(i + 1);
            c.Used = used.isEmpty() || used.value(i);
            c.Method = i % 4 + 1;
            c.SmallK = 0.3;
            c.Min = 0;
            c.Max = 100;
            c.Points = {{0, 0}, {50, 0.6}, {100, 1}};
            c.FunctionCreated = true;
            model.UsedCount += c.Used ? 1 : 0;
            model.Criteria.push_back(c);
            model.Variants.Columns.push_back(TCRITERIALIST{c.Id, {}});
        }
        for (int a = 0; a < alternatives; ++a) {
            model.Variants.AddVariant(QStringLiteral("a%1").arg(a + 1),
                                      QStringLiteral("d%1").arg(a + 1));
            for (int i = 0; i < n; ++i)
                model.Variants.Columns[size_t(i)].Values.push_back((a * 37 + i * 11) % 101);
        }
        FactorK = 0.5;
        model.SolutionComplete = true;
    }

    // Ticks exactly these sections (the date, description and graphic stay as they are).
    static void Choose(bool criteria, bool general, bool numeric, bool coefficients, bool ranking) {
        Raport_w->ChB_Criteria->setChecked(criteria);
        Raport_w->ChB_CriteriaClick();
        Raport_w->ChB_FormulaKR->setChecked(general);
        Raport_w->ChB_FormulaF->setChecked(numeric);
        Raport_w->ChB_FormulaK->setChecked(coefficients);
        Raport_w->ChB_Formula->setChecked(general || numeric || coefficients);
        Raport_w->ChB_FormulaClick();
        Raport_w->ChB_Ranking->setChecked(ranking);
    }

private:
    double savedK_ = 0.0;
};

// Numbers written as in the United States while it lives; set before the
// forms are made and put back after they are gone.
struct TEnglishLocale {
    TEnglishLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~TEnglishLocale() { QLocale::setDefault(QLocale::c()); }
};

// The report fixture with the preview window and a folder for the files a test writes.
class TPreviewFixture : private TEnglishLocale, public TReportFixture {
public:
    QTemporaryDir Dir;

    TPreviewFixture() { Raport_p = new TRaport_p(Kavrel); }
    ~TPreviewFixture() { FreePreview(); }

    // Closes and frees the preview (one still printing is not asked to
    // close), then checks that the script was used up.
    void Finish() {
        FreePreview();
        Check();
    }

private:
    static void FreePreview() {
        if (Raport_p && Raport_p->isVisible() && !Raport_p->Printing())
            Raport_p->close();
        delete Raport_p;
        Raport_p = nullptr;
    }
};
