// The alternatives table as the alternatives editor shows it, without a window:
// one row of texts per alternative (name, description, then one text per
// criterion in list order), their checks, and storing them into the table and
// the OBJECTS section.
#pragma once

#include "model/DecisionModel.h"
#include "model/Xml.h"

#include <QStringList>
#include <vector>

using TRowTexts = QStringList;

enum class TCellFault { None, UnknownEnum, NotNumber, OutOfRange };

// A criterion cell: a label of an enumerated criterion, or a finite number
// within Min to Max (both included). The value, when valid, goes to *value.
TCellFault CheckCellText(const TPROBLEM &criterion, const QString &text, double *value = nullptr);
// "Unknown enum value", "Conversion error" or the range message.
QString CellFaultMessage(const TPROBLEM &criterion, TCellFault fault);

// Every cell empty.
bool IsRowEmpty(const TRowTexts &row);
// First empty column, the description column excepted; -1 when none.
int FirstEmptyCell(const TRowTexts &row, int columnCount);
// First criterion column (2 + i) whose text is invalid, with its message; -1 when none.
int CheckRow(const std::vector<TPROBLEM> &criteria, const TRowTexts &row, QString &message);

// Where the rows cannot be stored.
struct TRowFault {
    int Row = -1; // index into the rows
    int Column = -1;
    QString Message;
};
// The first row that cannot be stored: an empty cell ("Empty cell!") or an
// invalid value. Entirely empty rows are skipped; with requireRows, at least
// one row must hold something. False when every row can be stored.
bool FindRowFault(const std::vector<TPROBLEM> &criteria, const std::vector<TRowTexts> &rows,
                  bool requireRows, TRowFault &fault);

// The texts of the stored table, one row per alternative.
std::vector<TRowTexts> RowsOfVariants(const TDecisionModel &model);

// Stores one checked row as alternative k (appended when k is past the end)
// and writes its OBJECT. header holds the criterion names of columns 2 on.
void StoreRow(TDecisionModel &model, TXML &xml, const QStringList &header, const TRowTexts &row,
              int k);
// Every criterion's Min and Max widened to cover its stored values.
void WidenCriterionRanges(TDecisionModel &model);
// Replaces the table by the non-empty rows, removes surplus alternatives with
// their OBJECTs and widens the ranges. True when anything the problem file
// carries changed.
bool StoreRows(TDecisionModel &model, TXML &xml, const QStringList &header,
               const std::vector<TRowTexts> &rows);
