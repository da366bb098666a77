// Editing the criteria without a window: the checks of one criterion's fields,
// storing them with the change flags, new and deleted criteria, and the snapshot
// that an edit without OK puts back.
#pragma once

#include "model/DecisionModel.h"
#include "model/Xml.h"

#include <QDomElement>
#include <QSet>
#include <QString>
#include <vector>

// lo <= v <= hi; false for NaN.
inline bool InRange(double v, double lo, double hi) {
    return v >= lo && v <= hi;
}

// What the criteria editor's controls hold for one criterion.
struct TCriterionFields {
    QString Name;
    QString Units;
    QString Description;
    QString MinText;
    QString MaxText;
    int Decimals = 3;
    int Method = 1;
    bool Cost = true;
    bool Used = true;
};

// The fields of a criterion as the editor shows them.
TCriterionFields FieldsOf(const TPROBLEM &criterion);

// What the user left in the controls: each field that still shows what the
// controls showed when loaded (shown) keeps the value it was loaded from
// (loaded), so a value that a control cannot show exactly is never a change.
TCriterionFields UnchangedAsLoaded(const TCriterionFields &now, const TCriterionFields &shown,
                                   const TCriterionFields &loaded);

// The first check the fields fail, with what the editor does about it.
struct TCriterionVerdict {
    enum TFocus { FocusNone, FocusName, FocusMin, FocusMax };
    bool Valid = true;
    QString Message;
    TFocus Focus = FocusNone;
    QString Replacement; // the focused edit's new text; empty: unchanged
    double Min = 0.0;    // the converted range, when valid
    double Max = 0.0;
};

// The checks, in order: name empty, too long, taken by another criterion; Min
// and Max numbers; the range enclosing the alternatives' values; Min below Max.
TCriterionVerdict CheckCriterionFields(const TDecisionModel &model, int index,
                                       const TCriterionFields &fields);

struct TChangeFlags {
    bool CriteriaChanged = false;
    bool CoefficientsInvalid = false;
    bool FunctionsInvalid = false;
};

// The copy of a criterion taken when editing began, found by Id and AttrID,
// which the editor never changes; null for a criterion made since.
const TPROBLEM *FindSavedCopy(const std::vector<TPROBLEM> &saved, const TPROBLEM &criterion);

// Stores checked fields into the criterion; flags what differs from the saved
// copy (none without one); a changed utility type puts fresh end points in.
// Flags are only ever set here.
void ApplyCriterionFields(TPROBLEM &criterion, const TPROBLEM *saved,
                          const TCriterionFields &fields, double min, double max,
                          TChangeFlags &flags);

// Every AttrID that an element of the problem document uses: ATTRIBUTES,
// KAVREL and the VALUEs of every OBJECT.
QSet<QString> AttrIdsInDocument(const TXML &xml);

// A new numeric criterion after the list: the next Id, a fresh "NoName" name
// and an "Attr" identifier that neither the list, the saved copies nor the
// document uses. Its ATTRIBUTE is appended to the document; the record is
// appended to the criteria and its index returned.
int AddNewCriterion(TDecisionModel &model, TXML &xml, const std::vector<TPROBLEM> &saved);

// Removes the criterion, its ATTRIBUTE and its value column. When none remains
// the alternatives go too, with their OBJECT elements (a problem file whose
// objects lack values of its criteria cannot be read). False for a bad index.
bool DeleteCriterion(TDecisionModel &model, TXML &xml, int index);

// What an editing pass may change: the criteria, the ATTRIBUTES section and the
// alternatives with their OBJECT links.
class TCriteriaSnapshot {
public:
    void Take(const TDecisionModel &model, const TXML &xml);
    // Puts everything back as it was when taken; the taken state stays, so a
    // second restore ends where the first did.
    void Restore(TDecisionModel &model, TXML &xml) const;
    void Clear();

    std::vector<TPROBLEM> Criteria;
    QDomElement Attributes;
    TVARIANTS Variants;
};
