// Shared by the report tests: the frame with the report wizard and the report
// document, and a solved problem to report on.
#pragma once

#include "GuiTest.h"
#include "report/F_raport.h"
#include "report/F_raport_w.h"

#include <QTableWidget>

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
