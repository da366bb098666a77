#include "model/CriteriaEdit.h"

TCriterionFields FieldsOf(const TPROBLEM &criterion) {
    TCriterionFields f;
    f.Name = criterion.Name;
    f.Units = criterion.Units;
    f.Description = criterion.Description;
    f.MinText = FloatToExactStr(criterion.Min);
    f.MaxText = FloatToExactStr(criterion.Max);
    f.Decimals = criterion.Decimals;
    f.Method = criterion.Method;
    f.Cost = criterion.Cost;
    f.Used = criterion.Used;
    return f;
}

TCriterionFields UnchangedAsLoaded(const TCriterionFields &now, const TCriterionFields &shown,
                                   const TCriterionFields &loaded) {
    TCriterionFields f = now;
    const auto keep = [](auto &field, const auto &shownField, const auto &loadedField) {
        if (field == shownField)
            field = loadedField;
    };
    keep(f.Name, shown.Name, loaded.Name);
    keep(f.Units, shown.Units, loaded.Units);
    keep(f.Description, shown.Description, loaded.Description);
    keep(f.MinText, shown.MinText, loaded.MinText);
    keep(f.MaxText, shown.MaxText, loaded.MaxText);
    keep(f.Decimals, shown.Decimals, loaded.Decimals);
    keep(f.Method, shown.Method, loaded.Method);
    keep(f.Cost, shown.Cost, loaded.Cost);
    keep(f.Used, shown.Used, loaded.Used);
    return f;
}

TCriterionVerdict CheckCriterionFields(const TDecisionModel &model, int index,
                                       const TCriterionFields &fields) {
    TCriterionVerdict v;
    auto fail = [&v](const QString &message, TCriterionVerdict::TFocus focus) {
        v.Valid = false;
        v.Message = message;
        v.Focus = focus;
        return v;
    };
    if (fields.Name.isEmpty())
        return fail(QStringLiteral("Name can't be empty"), TCriterionVerdict::FocusName);
    if (fields.Name.size() > MaxCriterionNameLength)
        return fail(QStringLiteral("Name is too long. Maximal size is ") +
                        QString::number(MaxCriterionNameLength),
                    TCriterionVerdict::FocusName);
    if (!model.IsCriterionNameUnique(fields.Name, index))
        return fail(QStringLiteral("Criterion already exists"), TCriterionVerdict::FocusName);
    if (!TextToFloat(fields.MinText, v.Min))
        return fail(QStringLiteral("Convertion error!"), TCriterionVerdict::FocusMin);
    if (!TextToFloat(fields.MaxText, v.Max))
        return fail(QStringLiteral("Convertion error!"), TCriterionVerdict::FocusMax);
    double lo = 0.0, hi = 0.0;
    const bool inRange = index >= 0 && index < int(model.Criteria.size());
    if (inRange && model.Variants.ColumnRange(model.Criteria[size_t(index)].Id, lo, hi)) {
        if (v.Min > lo) {
            fail(QStringLiteral("Min value must be equal or less then alternatives' Min value!"),
                 TCriterionVerdict::FocusMin);
            v.Replacement = FloatToExactStr(lo);
            return v;
        }
        if (v.Max < hi) {
            fail(QStringLiteral(
                     "Max value must be equal or greater then alternatives' Max value from!"),
                 TCriterionVerdict::FocusMax);
            v.Replacement = FloatToExactStr(hi);
            return v;
        }
    }
    if (!(v.Min < v.Max))
        return fail(QStringLiteral("Max value must be greater then Min value!"),
                    TCriterionVerdict::FocusMin);
    return v;
}

const TPROBLEM *FindSavedCopy(const std::vector<TPROBLEM> &saved, const TPROBLEM &criterion) {
    for (const TPROBLEM &c : saved) {
        if (c.Id == criterion.Id && c.AttrID == criterion.AttrID)
            return &c;
    }
    return nullptr;
}

void ApplyCriterionFields(TPROBLEM &criterion, const TPROBLEM *saved,
                          const TCriterionFields &fields, double min, double max,
                          TChangeFlags &flags) {
    criterion.Name = fields.Name;
    criterion.Units = fields.Units;
    criterion.Method = fields.Method;
    criterion.Min = min;
    criterion.Max = max;
    criterion.Decimals = fields.Decimals;
    criterion.Description = fields.Description;
    criterion.Cost = fields.Cost;
    criterion.Used = fields.Used;
    bool resetPoints = false;
    if (saved) {
        auto functionInvalid = [&] {
            flags.FunctionsInvalid = true;
            criterion.FunctionCreated = false;
        };
        if (saved->Name != criterion.Name || saved->Units != criterion.Units)
            flags.CriteriaChanged = true;
        if (saved->Method != criterion.Method)
            functionInvalid();
        if (saved->Min != criterion.Min || saved->Max != criterion.Max) {
            functionInvalid();
            flags.CoefficientsInvalid = true;
        }
        if (saved->Decimals != criterion.Decimals) {
            flags.CriteriaChanged = true;
            flags.CoefficientsInvalid = true;
        }
        if (saved->Cost != criterion.Cost) {
            resetPoints = true;
            functionInvalid();
        }
        if (saved->Used != criterion.Used) {
            flags.CriteriaChanged = true;
            flags.CoefficientsInvalid = true;
        }
    }
    if (resetPoints) {
        criterion.Points.clear();
        criterion.Init(criterion.Min, criterion.Max);
    }
}

QSet<QString> AttrIdsInDocument(const TXML &xml) {
    QSet<QString> ids;
    const QString attrId = QStringLiteral("AttrID");
    auto collect = [&](const QDomElement &section, const QString &tag) {
        for (QDomElement e = section.firstChildElement(tag); !e.isNull();
             e = e.nextSiblingElement(tag)) {
            if (e.hasAttribute(attrId))
                ids.insert(e.attribute(attrId));
        }
    };
    collect(xml.AttributesNode, QStringLiteral("ATTRIBUTE"));
    collect(xml.SettingsNode, QStringLiteral("ATTRIBUTE"));
    for (QDomElement o = xml.ObjectsNode.firstChildElement(QStringLiteral("OBJECT")); !o.isNull();
         o = o.nextSiblingElement(QStringLiteral("OBJECT")))
        collect(o, QStringLiteral("VALUE"));
    return ids;
}

int AddNewCriterion(TDecisionModel &model, TXML &xml, const std::vector<TPROBLEM> &saved) {
    TPROBLEM c;
    c.Id = model.MaxCriterionId() + 1;
    for (int n = c.Id;; ++n) {
        c.Name = QStringLiteral("NoName") + QString::number(n);
        if (model.IsCriterionNameUnique(c.Name, -1) && !xml.FindAttributeById(c.Name))
            break;
    }
    // A deleted criterion's KAVREL entry and VALUEs stay in the document; a new
    // criterion taking its identifier would inherit them on the next load.
    const QSet<QString> taken = AttrIdsInDocument(xml);
    for (int n = 0;; ++n) {
        c.AttrID = QStringLiteral("Attr") + QString::number(n);
        if (!model.IsAttrIdFree(c.AttrID) || taken.contains(c.AttrID))
            continue;
        bool inSaved = false;
        for (const TPROBLEM &s : saved)
            inSaved = inSaved || s.AttrID == c.AttrID;
        if (!inSaved)
            break;
    }
    c.Enumerated = false;
    c.Used = true;
    c.Method = 1;
    c.Decimals = 3;
    c.Min = 0.0;
    c.Max = 1.0;
    c.Cost = true;
    c.FunctionCreated = false;
    c.KCounted = false;
    c.Init(0.0, 1.0);
    c.Node = xml.CreateCriterionAttribute(c);
    model.Criteria.push_back(c);
    return int(model.Criteria.size()) - 1;
}

bool DeleteCriterion(TDecisionModel &model, TXML &xml, int index) {
    if (index < 0 || index >= int(model.Criteria.size()))
        return false;
    TPROBLEM &c = model.Criteria[size_t(index)];
    if (!c.Node.isNull())
        xml.RemoveNode(c.Node);
    model.Variants.DeleteColumn(c.Id);
    model.Criteria.erase(model.Criteria.begin() + index);
    if (model.Criteria.empty()) {
        for (TVARIANTDEF &row : model.Variants.Alternatives) {
            if (!row.Node.isNull())
                xml.RemoveNode(row.Node);
        }
        model.Variants.Alternatives.clear();
    }
    return true;
}

void TCriteriaSnapshot::Take(const TDecisionModel &model, const TXML &xml) {
    Criteria = model.Criteria;
    Attributes = xml.BackupAttributes();
    Variants = model.Variants;
}

void TCriteriaSnapshot::Restore(TDecisionModel &model, TXML &xml) const {
    model.Criteria = Criteria;
    model.Variants = Variants;
    // OBJECTs that a delete took out of the document go back, in row order.
    for (const TVARIANTDEF &row : model.Variants.Alternatives) {
        if (!row.Node.isNull() && row.Node.parentNode().isNull())
            xml.ObjectsNode.appendChild(row.Node);
    }
    // The restore also drops the holder's identifier counts.
    xml.RestoreAttributes(Attributes, model.Criteria, model.Roles);
}

void TCriteriaSnapshot::Clear() {
    Criteria.clear();
    Attributes = QDomElement();
    Variants = TVARIANTS();
}
