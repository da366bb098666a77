// Reading the loaded problem document into criteria, roles and alternatives.
#include "model/Messages.h"
#include "model/Xml.h"

#include <QVarLengthArray>

namespace {
const QString ConversionError = QStringLiteral("Convertion error");
const QString ValueNotFound =
    QStringLiteral("Tag \"VALUE\" not found or tag \"VALUE\" doesn't have all needed attributes");
const QString Layout = QStringLiteral("\n   ");

// The first VALUE per AttrID of one OBJECT; a match without Value has a null element.
struct TObjectValues {
    struct Entry {
        QString AttrID;
        QDomAttr Value;
    };
    QVarLengthArray<Entry, 16> Entries;

    explicit TObjectValues(const QDomNode &object) {
        const QString tag = QStringLiteral("VALUE");
        const QString attrId = QStringLiteral("AttrID");
        const QString value = QStringLiteral("Value");
        for (QDomElement child = object.firstChildElement(tag); !child.isNull();
             child = child.nextSiblingElement(tag)) {
            const QDomAttr id = child.attributeNode(attrId);
            if (!id.isNull())
                Entries.append(Entry{id.value(), child.attributeNode(value)});
        }
    }

    bool Find(const QString &attrId, QString &text) const {
        for (const Entry &e : Entries) {
            if (e.AttrID == attrId) {
                if (e.Value.isNull())
                    return false;
                text = e.Value.value();
                return true;
            }
        }
        return false;
    }
};

// A name cut to at most MaxCriterionNameLength characters without splitting a surrogate pair.
QString CutName(const QString &name) {
    if (name.size() <= MaxCriterionNameLength)
        return name;
    qsizetype length = MaxCriterionNameLength;
    if (name.at(length - 1).isHighSurrogate())
        --length;
    return name.left(length);
}
} // namespace

int TXML::ReadRole(const QDomNode &attribute) const {
    QString role;
    if (!GetChildAttribute(attribute, QStringLiteral("ROLE"), QStringLiteral("Value"), role))
        return RoleOther;
    if (role == QLatin1String("Name"))
        return RoleName;
    if (role == QLatin1String("Condition"))
        return RoleCondition;
    if (role == QLatin1String("Description"))
        return RoleDescription;
    return RoleOther;
}

bool TXML::ReadCriterion(const QDomElement &attribute, TPROBLEM &criterion) {
    const QString value = QStringLiteral("Value");
    criterion.Method = 1;
    criterion.Decimals = 3;
    criterion.Units.clear();
    criterion.Used = true;
    criterion.Node = attribute;
    criterion.Enumerated = false;
    criterion.Values.clear();
    criterion.SmallK = -1.0;
    criterion.FunctionCreated = false;
    criterion.KCounted = false;
    criterion.Points.clear();

    if (!GetAttribute(attribute, QStringLiteral("AttrID"), criterion.AttrID)) {
        LastError = QStringLiteral("Attribute \"AttrID\" not found");
        return false;
    }
    QString name = criterion.AttrID;
    GetChildAttribute(attribute, QStringLiteral("NAME"), value, name);
    criterion.Name = CutName(name);
    criterion.Description.clear();
    GetChildAttribute(attribute, QStringLiteral("DESCRIPTION"), value, criterion.Description);

    QString type;
    if (!GetChildAttribute(attribute, QStringLiteral("TYPE"), value, type)) {
        LastError =
            QStringLiteral("Tag \"ATTRIBUTE\": Can't find \"TYPE\" tag or \"Value\" attribute");
        return false;
    }
    QString direction;
    if (!GetChildAttribute(attribute, QStringLiteral("CRITERION"), value, direction)) {
        LastError = QStringLiteral("Tag \"ATTRIBUTE\": can't find tag \"CRITERION\"");
        return false;
    }
    if (type == QLatin1String("Numeric")) {
        if (direction == QLatin1String("Cost")) {
            criterion.Cost = true;
        } else if (direction == QLatin1String("Gain")) {
            criterion.Cost = false;
        } else {
            LastError =
                QStringLiteral("Tag \"TYPE\", attribute \"Value\": \"Cost\" or \"Gain\" expected");
            return false;
        }
    } else if (type == QLatin1String("Enum")) {
        criterion.Cost = true;
        criterion.Enumerated = true;
        criterion.Used = false;
        if (!ReadEnum(attribute, criterion))
            return false;
    } else {
        LastError = QStringLiteral(
            "Tag \"TYPE\": Attribute \"Value\" must have \"Numeric\" or \"Enum\" value");
        return false;
    }
    return ReadCriterionSettings(criterion);
}

bool TXML::ReadCriterionSettings(TPROBLEM &criterion) {
    const QString tag = QStringLiteral("ATTRIBUTE");
    const QString value = QStringLiteral("Value");
    QString id;
    for (QDomElement entry = SettingsNode.firstChildElement(tag); !entry.isNull();
         entry = entry.nextSiblingElement(tag)) {
        if (!GetAttribute(entry, QStringLiteral("AttrID"), id) || id != criterion.AttrID)
            continue;
        QString text;
        if (GetChildAttribute(entry, QStringLiteral("METHOD"), value, text)) {
            if (!FileTextToTruncated(text, criterion.Method)) {
                LastError = ConversionError + ValueDetail(QStringLiteral("METHOD"), value, text);
                return false;
            }
            if (criterion.Method < 1 || criterion.Method > 4) {
                LastError = QStringLiteral("Method number must be integer number between 1 and 4");
                return false;
            }
        }
        const bool hasMin = GetChildAttribute(entry, QStringLiteral("MIN"), value, text);
        if (hasMin && !FileTextToNumber(text, criterion.Min)) {
            LastError = ConversionError + ValueDetail(QStringLiteral("MIN"), value, text);
            return false;
        }
        const bool hasMax = GetChildAttribute(entry, QStringLiteral("MAX"), value, text);
        if (hasMax && !FileTextToNumber(text, criterion.Max)) {
            LastError = ConversionError + ValueDetail(QStringLiteral("MAX"), value, text);
            return false;
        }
        if (hasMin && hasMax) {
            if (criterion.Min >= criterion.Max) {
                LastError = QStringLiteral("Min value must be less then max value");
                return false;
            }
            criterion.Points.insert(criterion.Points.begin(),
                                    TFuncPoint{criterion.Min, criterion.Cost ? 1.0 : 0.0});
            criterion.Points.push_back(TFuncPoint{criterion.Max, criterion.Cost ? 0.0 : 1.0});
        }
        GetChildAttribute(entry, QStringLiteral("UNITS"), value, criterion.Units);
        // Decimals that can not be shown leave the criterion as an older file
        // would: the criterion itself is still worth reading.
        int decimals = 0;
        if (GetChildAttribute(entry, QStringLiteral("PRECISION"), value, text)) {
            if (FileTextToTruncated(text, decimals) && DecimalsInRange(decimals))
                criterion.Decimals = decimals;
            else
                ShowModelMessage(QStringLiteral("Criterion \"%1\": the decimals \"%2\" can not be "
                                                "used; it keeps %3 decimals.")
                                     .arg(criterion.Name, text)
                                     .arg(criterion.Decimals),
                                 mtWarning);
        }
        // Only the first entry of a criterion counts: a second one would add a
        // second pair of end points.
        break;
    }
    return true;
}

bool TXML::ReadEnum(const QDomElement &attribute, TENUM &values) {
    QDomElement type;
    QDomElement direction;
    FindChild(attribute, QStringLiteral("TYPE"), type);
    FindChild(attribute, QStringLiteral("CRITERION"), direction);
    std::vector<EnumAttributes> labels;
    std::vector<EnumAttributes> numbers;
    if (!ReadEnumAttributes(type, QStringLiteral("ENUM"), labels) ||
        !ReadEnumAttributes(direction, QStringLiteral("RANK"), numbers))
        return false;
    for (const EnumAttributes &label : labels) {
        for (const EnumAttributes &number : numbers) {
            if (number.EnumID != label.EnumID)
                continue;
            double v = 0.0;
            if (!FileTextToNumber(number.Value, v)) {
                LastError = ConversionError;
                return false;
            }
            values.Values.push_back(TEnumvalue{v, label.Value});
            break;
        }
    }
    return true;
}

bool TXML::ReadEnumAttributes(const QDomNode &parent, const QString &tag,
                              std::vector<EnumAttributes> &items) {
    items.clear();
    for (QDomElement child = parent.firstChildElement(tag); !child.isNull();
         child = child.nextSiblingElement(tag)) {
        EnumAttributes item;
        if (!GetAttribute(child, QStringLiteral("EnumID"), item.EnumID) ||
            !GetAttribute(child, QStringLiteral("Value"), item.Value)) {
            LastError = QStringLiteral("Tag \"%1\": doesn't have all needed attributes").arg(tag);
            return false;
        }
        items.push_back(item);
    }
    if (items.empty()) {
        LastError = QStringLiteral("Tag \"ATTRIBUTE\": tag \"%1\" not found").arg(tag);
        return false;
    }
    return true;
}

bool TXML::FindValue(const QDomNode &object, const QString &attrId, QString &value) {
    if (TObjectValues(object).Find(attrId, value))
        return true;
    LastError = ValueNotFound;
    return false;
}

bool TXML::ReadObjectValues(const std::vector<TPROBLEM> &criteria, TVARIANTS &variants,
                            const QDomElement &object, const std::vector<TROLENAME> &roles) {
    const TObjectValues found(object);
    QString name;
    if (!found.Find(roles[0].AttrID, name)) {
        LastError = ValueNotFound;
        return false;
    }
    QString description;
    found.Find(roles[1].AttrID, description);
    QVarLengthArray<double, MaxCriteria> values;
    QString text;
    for (const TPROBLEM &c : criteria) {
        if (!found.Find(c.AttrID, text)) {
            LastError = ValueNotFound;
            return false;
        }
        double v = 0.0;
        if (c.Enumerated) {
            if (!c.FindValue(text, v)) {
                LastError = QStringLiteral("Unknown enum value");
                return false;
            }
        } else if (!FileTextToNumber(text, v)) {
            LastError = ConversionError +
                        ValueDetail(QStringLiteral("VALUE"), QStringLiteral("Value"), text);
            return false;
        }
        values.append(v);
    }
    const int row = variants.AddVariant(name, description) - 1;
    variants.SetVariantNode(row, object);
    for (size_t i = 0; i < criteria.size(); ++i)
        variants.AppendValue(row, values[qsizetype(i)], criteria[i].Id);
    return true;
}

// A role the file lacks gets a new element in the loaded document, so that what is
// entered for it later is saved.
void TXML::CompleteRole(std::vector<TROLENAME> &roles, int index) {
    const TROLENAME fallback = DefaultRole(index);
    TROLENAME role = fallback;
    for (int n = 1; FindAttributeById(role.AttrID); ++n)
        role.AttrID = fallback.AttrID + QString::number(n);
    role.Node = index == 0 ? CreateNameAttribute(role) : CreateDescriptionAttribute(role);
    AttributesNode.appendChild(role.Node);
    ++AttributeIds().Count[role.AttrID];
    roles[index] = role;
}

bool TXML::ReadProblem(std::vector<TPROBLEM> &criteria, TVARIANTS &variants,
                       std::vector<TROLENAME> &roles) {
    const QString value = QStringLiteral("Value");
    criteria.clear();
    variants.Alternatives.clear();
    variants.ClearValues();
    while (roles.size() < 2)
        roles.push_back(DefaultRole(int(roles.size())));
    Invalidate();

    Found = false;
    if (!FindData()) {
        LastError = QStringLiteral("Data section not found!");
        return false;
    }
    const bool hasAttributes = FindSections(DataNode, QStringLiteral("ATTRIBUTES"));
    const bool hasObjects = FindSections(DataNode, QStringLiteral("OBJECTS"));

    Found = false;
    if (!FindProblemRoot()) {
        SettingsNode = AddChildElement(QStringLiteral("KAVREL"), QString(), QString());
        DataNode.appendChild(SettingsNode);
        SettingsNode.appendChild(
            AddChildElement(QStringLiteral("PROBABILITY"), value, QStringLiteral("0.5")));
        SettingsNode.appendChild(
            AddChildElement(QStringLiteral("QUESTIONS"), value, QStringLiteral("5")));
        SettingsNode.appendChild(
            AddChildElement(QStringLiteral("PRECISION"), value, QStringLiteral("3")));
    }
    if (!hasAttributes) {
        LastError = QStringLiteral("Attributes section not found!");
        return false;
    }
    if (!hasObjects) {
        ObjectsNode = ProblemDoc.createElement(QStringLiteral("OBJECTS"));
        ObjectsNode.appendChild(ProblemDoc.createTextNode(Layout));
        DataNode.appendChild(ObjectsNode);
    }

    int met = 0;
    for (QDomNode child = AttributesNode.firstChild(); !child.isNull();
         child = child.nextSibling()) {
        met += ReadRole(child) == RoleCondition;
    }
    if (met > MaxCriteria) {
        LastError = QStringLiteral("The file holds %1 criteria, but a problem can have at most %2.")
                        .arg(met)
                        .arg(MaxCriteria);
        return false;
    }

    int loaded = 0;
    bool roleFound[2] = {false, false};
    int position = 0;
    for (QDomNode child = AttributesNode.firstChild(); !child.isNull();
         child = child.nextSibling(), ++position) {
        const int role = ReadRole(child);
        if (role == RoleCondition) {
            TPROBLEM criterion;
            if (!ReadCriterion(child.toElement(), criterion)) {
                ShowModelMessage(LastError, mtError);
                continue;
            }
            criterion.Id = position;
            if (CriterionNameExists(criteria, criterion.Name)) {
                LastError =
                    QStringLiteral("Criterion with name \"%1\" already exists").arg(criterion.Name);
                return false;
            }
            criteria.push_back(criterion);
            ++loaded;
        } else if (role == RoleName || role == RoleDescription) {
            const int index = role == RoleName ? 0 : 1;
            TROLENAME r;
            if (!GetAttribute(child, QStringLiteral("AttrID"), r.AttrID)) {
                LastError = QStringLiteral("Tag \"ATTRIBUTE\": Can't find \"AttrID\" attribute");
                return false;
            }
            r.Caption = index == 0 ? QStringLiteral("Name") : QStringLiteral("Description");
            GetChildAttribute(child, QStringLiteral("DESCRIPTION"), value, r.Caption);
            r.Node = child.toElement();
            roles[index] = r;
            roleFound[index] = true;
        }
    }
    for (int index = 0; index < 2; ++index) {
        if (!roleFound[index])
            CompleteRole(roles, index);
    }

    if (loaded != met || loaded == 0)
        ShowModelMessage(
            QStringLiteral("%1 criterium were read, %2 was loaded").arg(met).arg(loaded),
            mtInformation);

    if (loaded > 0) {
        for (QDomElement object = ObjectsNode.firstChildElement(QStringLiteral("OBJECT"));
             !object.isNull(); object = object.nextSiblingElement(QStringLiteral("OBJECT"))) {
            if (!ReadObjectValues(criteria, variants, object, roles)) {
                variants.Alternatives.clear();
                variants.ClearValues();
                return false;
            }
        }
    }

    for (TPROBLEM &c : criteria) {
        double lo = 0.0;
        double hi = 0.0;
        if (variants.ColumnRange(c.Id, lo, hi)) {
            if (c.Points.empty()) {
                c.Min = lo;
                c.Max = hi;
            } else {
                if (c.Min > lo) {
                    c.Min = lo;
                    c.Points.clear();
                }
                if (c.Max < hi) {
                    c.Max = hi;
                    c.Points.clear();
                }
            }
        } else if (c.Points.empty()) {
            c.Min = 0.0;
            c.Max = 1.0;
        }
    }
    for (TPROBLEM &c : criteria) {
        if (c.Points.empty())
            c.Init(c.Min, c.Max);
    }
    return true;
}

bool TXML::ReadGlobalSettings(double &probability, int &questions, int &precision) {
    QString text;
    for (QDomElement child = SettingsNode.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        const QString tag = child.tagName();
        const bool isProbability = tag == QLatin1String("PROBABILITY");
        if (!isProbability && tag != QLatin1String("QUESTIONS") &&
            tag != QLatin1String("PRECISION"))
            continue;
        if (!GetAttribute(child, QStringLiteral("Value"), text))
            continue;
        const bool ok = isProbability
                            ? FileTextToNumber(text, probability)
                            : FileTextToTruncated(
                                  text, tag == QLatin1String("QUESTIONS") ? questions : precision);
        if (!ok) {
            LastError = QStringLiteral("Tag \"%1\": Convertion error").arg(tag);
            return false;
        }
    }
    // Lotteries need a probability strictly between 0 and 1: anything else would
    // give utilities off the scale.
    if (!(probability > 0.0 && probability < 1.0)) {
        LastError =
            QStringLiteral("Tag \"PROBABILITY\": Probability must belong to interval (0,1)");
        return false;
    }
    // A hand-edited limit out of range would ask no question or nearly endless ones;
    // decimals out of range would have the parameters dialog change them unasked.
    questions = ClampQuestions(questions);
    precision = ClampProbabilityPrecision(precision);
    return true;
}
