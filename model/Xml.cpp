// The holder itself: skeletons, number text, searches, attribute access and identifier look-ups.
#include "model/Xml.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <limits>

namespace {
const QString Layout = QStringLiteral("\n   ");

QString ObjName(int n) {
    return QStringLiteral("Obj") + QString::number(n);
}

// The number of an "Obj" identifier as the program writes it, -1 for any other text.
int ObjNumber(const QString &id) {
    if (!id.startsWith(QLatin1String("Obj")))
        return -1;
    bool ok = false;
    const int n = QStringView(id).mid(3).toInt(&ok);
    return ok && n >= 0 && ObjName(n) == id ? n : -1;
}

QLocale ReadingLocale() {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    return locale;
}
} // namespace

// ---- Numbers

QString TXML::FloatStrToXml(const QString &text) {
    QString result = text;
    const qsizetype point = result.indexOf(QLocale().decimalPoint());
    if (point >= 0)
        result.replace(point, QLocale().decimalPoint().size(), QLatin1String("."));
    return result;
}

// The same text as FloatStrToXml(FloatToStr(value)), without the two locale look-ups.
QString TXML::NumberToFileText(double value) {
    return QString::number(value, 'g', 15);
}

namespace {
// Plain number text ("-12.5", "1e-06") reads the same under every locale once its
// point is the locale's separator, so it skips the locale's (slow) parser.
bool ReadPlainNumber(const QString &text, double &value) {
    constexpr qsizetype longest = 40;
    if (text.isEmpty() || text.size() > longest)
        return false;
    char buffer[longest];
    int points = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
        points += c == '.';
        buffer[i] = char(c);
    }
    double v = 0.0;
    const char *end = buffer + text.size();
    const auto [stop, error] = std::from_chars(buffer, end, v);
    if (points > 1 || error != std::errc() || stop != end || !std::isfinite(v))
        return false;
    value = v;
    return true;
}
} // namespace

bool TXML::FileTextToNumber(const QString &text, double &value) {
    if (ReadPlainNumber(text, value))
        return true;
    bool ok = false;
    const double v = ReadingLocale().toDouble(DotToLocale(text), &ok);
    if (!ok || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

QString TXML::ShownValue(const QString &text) {
    constexpr qsizetype Shown = 40;
    return text.size() > Shown ? text.left(Shown) + QStringLiteral("...") : text;
}

QString TXML::ValueDetail(const QString &tag, const QString &name, const QString &text) {
    const QString value = QStringLiteral("%1 \"%2\"").arg(name, ShownValue(text));
    return tag.isEmpty() ? QStringLiteral(" (%1)").arg(value)
                         : QStringLiteral(" (tag \"%1\", %2)").arg(tag, value);
}

bool TXML::FileTextToTruncated(const QString &text, int &value) {
    bool ok = false;
    const double v = std::trunc(ReadingLocale().toDouble(text, &ok));
    if (!ok || !(v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max()))
        return false;
    value = int(v);
    return true;
}

// ---- Skeletons

QDomElement TXML::CreateRoleAttribute(const TROLENAME &role, const QString &roleValue) {
    QDomElement attribute =
        AddChildElement(QStringLiteral("ATTRIBUTE"), QStringLiteral("AttrID"), role.AttrID);
    attribute.appendChild(
        AddChildElement(QStringLiteral("DESCRIPTION"), QStringLiteral("Value"), role.Caption));
    attribute.appendChild(
        AddChildElement(QStringLiteral("TYPE"), QStringLiteral("Value"), QStringLiteral("String")));
    attribute.appendChild(
        AddChildElement(QStringLiteral("ROLE"), QStringLiteral("Value"), roleValue));
    return attribute;
}

QDomElement TXML::CreateNameAttribute(const TROLENAME &role) {
    return CreateRoleAttribute(role, QStringLiteral("Name"));
}

QDomElement TXML::CreateDescriptionAttribute(const TROLENAME &role) {
    return CreateRoleAttribute(role, QStringLiteral("Description"));
}

TROLENAME TXML::DefaultRole(int index) {
    return index == 0
               ? TROLENAME{QStringLiteral("MAKE"), QStringLiteral("Name"), QDomElement()}
               : TROLENAME{QStringLiteral("DESC"), QStringLiteral("Description"), QDomElement()};
}

void TXML::NewDocuments(std::vector<TROLENAME> &roles) {
    while (roles.size() < 2)
        roles.push_back(DefaultRole(int(roles.size())));

    ProblemDoc = QDomDocument();
    ProblemDoc.appendChild(ProblemDoc.createProcessingInstruction(QStringLiteral("xml"),
                                                                  QStringLiteral("version='1.0'")));
    DataNode = ProblemDoc.createElement(QStringLiteral("DATA"));
    DataNode.appendChild(ProblemDoc.createTextNode(Layout));
    DataNode.setAttribute(QStringLiteral("DataID"), QStringLiteral("XMLDOC"));
    ProblemDoc.appendChild(DataNode);

    AttributesNode = ProblemDoc.createElement(QStringLiteral("ATTRIBUTES"));
    roles[0].Node = CreateNameAttribute(roles[0]);
    roles[1].Node = CreateDescriptionAttribute(roles[1]);
    AttributesNode.appendChild(roles[0].Node);
    AttributesNode.appendChild(roles[1].Node);
    DataNode.appendChild(AttributesNode);

    ObjectsNode = ProblemDoc.createElement(QStringLiteral("OBJECTS"));
    ObjectsNode.appendChild(ProblemDoc.createTextNode(Layout));
    DataNode.appendChild(ObjectsNode);

    SettingsNode = ProblemDoc.createElement(QStringLiteral("KAVREL"));
    SettingsNode.appendChild(ProblemDoc.createTextNode(Layout));
    DataNode.appendChild(SettingsNode);

    NewResultDocument();
    Invalidate();
}

void TXML::NewResultDocument() {
    ResultDoc = QDomDocument();
    ResultDoc.appendChild(ResultDoc.createProcessingInstruction(QStringLiteral("xml"),
                                                                QStringLiteral("version='1.0'")));
    ResultRootNode = ResultDoc.createElement(QStringLiteral("ZUZOVODODEZI"));
    ResultRootNode.appendChild(ResultDoc.createTextNode(QStringLiteral("\n")));
    ResultDoc.appendChild(ResultRootNode);
    ResultApplied = true;
}

// ---- Searches

// Depth first in document order from root's children; a find below one node is
// replaced by a later sibling of that node bearing the name.
bool TXML::SearchNamed(const QDomNode &root, const QString &name, QDomElement &found) {
    bool any = false;
    std::vector<QDomNode> parents;
    QDomNode node = root.firstChild();
    while (true) {
        if (node.isNull()) {
            if (parents.empty())
                break;
            node = parents.back().nextSibling();
            parents.pop_back();
            continue;
        }
        if (node.isElement() && node.nodeName() == name) {
            found = node.toElement();
            any = true;
            // The rest of this level is not searched.
            if (parents.empty())
                break;
            node = parents.back().nextSibling();
            parents.pop_back();
            continue;
        }
        if (!any && node.hasChildNodes()) {
            parents.push_back(node);
            node = node.firstChild();
            continue;
        }
        node = node.nextSibling();
    }
    return any;
}

namespace {
// The document element when it bears the name, else the search below it.
bool FindRoot(const QDomDocument &document, const QString &name, QDomElement &target, bool &found,
              bool (*search)(const QDomNode &, const QString &, QDomElement &)) {
    const QDomElement root = document.documentElement();
    if (!root.isNull() && root.tagName() == name) {
        target = root;
        found = true;
        return true;
    }
    if (!found && search(root, name, target))
        found = true;
    return found;
}
} // namespace

bool TXML::FindData() {
    return FindRoot(ProblemDoc, QStringLiteral("DATA"), DataNode, Found, SearchNamed);
}

bool TXML::FindProblemRoot() {
    return FindRoot(ProblemDoc, QStringLiteral("KAVREL"), SettingsNode, Found, SearchNamed);
}

bool TXML::FindResultRoot() {
    return FindRoot(ResultDoc, QStringLiteral("ZUZOVODODEZI"), ResultRootNode, Found, SearchNamed);
}

bool TXML::FindSections(const QDomNode &parent, const QString &name) {
    const QDomElement section = parent.firstChildElement(name);
    if (section.isNull())
        return false;
    if (name == QLatin1String("ATTRIBUTES"))
        AttributesNode = section;
    else if (name == QLatin1String("OBJECTS"))
        ObjectsNode = section;
    else if (name == QLatin1String("KAVREL"))
        SettingsNode = section;
    return true;
}

bool TXML::FindChild(const QDomNode &parent, const QString &tag, QDomElement &child) const {
    const QDomElement first = parent.firstChildElement(tag);
    if (first.isNull())
        return false;
    child = first;
    return true;
}

bool TXML::GetAttribute(const QDomNode &element, const QString &name, QString &value) const {
    const QDomAttr attribute = element.toElement().attributeNode(name);
    if (attribute.isNull())
        return false;
    value = attribute.value();
    return true;
}

bool TXML::GetChildAttribute(const QDomNode &parent, const QString &tag, const QString &name,
                             QString &value) const {
    for (QDomElement child = parent.firstChildElement(tag); !child.isNull();
         child = child.nextSiblingElement(tag)) {
        if (GetAttribute(child, name, value))
            return true;
    }
    return false;
}

void TXML::SetAttribute(QDomElement element, const QString &name, const QString &value) {
    if (name == QLatin1String("ObjID") || name == QLatin1String("AttrID"))
        Invalidate();
    element.setAttribute(name, value);
}

// ---- Element factories

QDomElement TXML::AddChildElement(const QString &tag, const QString &name, const QString &value) {
    QDomElement element = ProblemDoc.createElement(tag);
    if (!name.isEmpty())
        element.setAttribute(name, value);
    return element;
}

QDomElement TXML::AddResultChildElement(const QString &tag, const QString &name,
                                        const QString &value) {
    QDomElement element = ResultDoc.createElement(tag);
    if (!name.isEmpty())
        element.setAttribute(name, value);
    return element;
}

QDomElement TXML::AddChildElement2(const QString &tag, const QString &name1, const QString &value1,
                                   const QString &name2, const QString &value2) {
    QDomElement element = ProblemDoc.createElement(tag);
    element.setAttribute(name1, value1);
    element.setAttribute(name2, value2);
    return element;
}

// Elements made in the other document are imported first.
QDomNode TXML::AppendTo(QDomNode parent, const QDomNode &child) {
    QDomDocument owner = parent.ownerDocument();
    if (child.ownerDocument() != owner)
        return parent.appendChild(owner.importNode(child, true));
    return parent.appendChild(child);
}

// ---- Identifier look-ups

void TXML::Invalidate() {
    ObjIndex.Valid = false;
    AttrIndex.Valid = false;
}

namespace {
void Rebuild(const TXML &xml, const QDomElement &section, const QString &tag, const QString &idName,
             QHash<QString, int> &count) {
    count.clear();
    QString id;
    for (QDomElement child = section.firstChildElement(tag); !child.isNull();
         child = child.nextSiblingElement(tag)) {
        if (xml.GetAttribute(child, idName, id))
            ++count[id];
    }
}
} // namespace

TXML::TIdIndex &TXML::ObjectIds() {
    if (!ObjIndex.Valid || ObjIndex.Section != ObjectsNode) {
        Rebuild(*this, ObjectsNode, QStringLiteral("OBJECT"), QStringLiteral("ObjID"),
                ObjIndex.Count);
        ObjIndex.Section = ObjectsNode;
        ObjIndex.FirstFree = 0;
        ObjIndex.Valid = true;
    }
    return ObjIndex;
}

TXML::TIdIndex &TXML::AttributeIds() {
    if (!AttrIndex.Valid || AttrIndex.Section != AttributesNode) {
        Rebuild(*this, AttributesNode, QStringLiteral("ATTRIBUTE"), QStringLiteral("AttrID"),
                AttrIndex.Count);
        AttrIndex.Section = AttributesNode;
        AttrIndex.Valid = true;
    }
    return AttrIndex;
}

bool TXML::FindObjectById(const QString &id) {
    return ObjectIds().Count.value(id) > 0;
}

bool TXML::FindAttributeById(const QString &id) {
    return AttributeIds().Count.value(id) > 0;
}

void TXML::RemoveNode(QDomNode node) {
    QDomNode parent = node.parentNode();
    if (parent.isNull())
        return;
    QString id;
    const QString name = node.nodeName();
    if (ObjIndex.Valid && parent == ObjIndex.Section && name == QLatin1String("OBJECT")) {
        if (GetAttribute(node, QStringLiteral("ObjID"), id) && --ObjIndex.Count[id] <= 0) {
            ObjIndex.Count.remove(id);
            const int n = ObjNumber(id);
            if (n >= 0 && n < ObjIndex.FirstFree)
                ObjIndex.FirstFree = n;
        }
    } else if (AttrIndex.Valid && parent == AttrIndex.Section &&
               name == QLatin1String("ATTRIBUTE")) {
        if (GetAttribute(node, QStringLiteral("AttrID"), id) && --AttrIndex.Count[id] <= 0)
            AttrIndex.Count.remove(id);
    } else if (node.isElement()) {
        Invalidate();
    }
    parent.removeChild(node);
}

// ---- Roles and criteria

QDomElement TXML::CreateCriterionAttribute(const TPROBLEM &criterion) {
    const QString value = QStringLiteral("Value");
    QDomElement attribute =
        AddChildElement(QStringLiteral("ATTRIBUTE"), QStringLiteral("AttrID"), criterion.AttrID);
    attribute.appendChild(AddChildElement(QStringLiteral("NAME"), value, criterion.Name));
    attribute.appendChild(
        AddChildElement(QStringLiteral("DESCRIPTION"), value, criterion.Description));
    attribute.appendChild(
        AddChildElement(QStringLiteral("TYPE"), value, QStringLiteral("Numeric")));
    attribute.appendChild(
        AddChildElement(QStringLiteral("ROLE"), value, QStringLiteral("Condition")));
    attribute.appendChild(
        AddChildElement(QStringLiteral("CRITERION"), value,
                        criterion.Cost ? QStringLiteral("Cost") : QStringLiteral("Gain")));
    AttributesNode.appendChild(attribute);
    if (AttrIndex.Valid && AttrIndex.Section == AttributesNode)
        ++AttrIndex.Count[criterion.AttrID];
    return attribute;
}

void TXML::UpdateCriterionAttribute(const TPROBLEM &criterion) {
    const QString value = QStringLiteral("Value");
    QDomElement node = criterion.Node;
    bool description = false;
    bool name = false;
    for (QDomElement child = node.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (!child.hasAttribute(value))
            continue;
        const QString tag = child.tagName();
        if (tag == QLatin1String("DESCRIPTION")) {
            child.setAttribute(value, criterion.Description);
            description = true;
        } else if (tag == QLatin1String("NAME")) {
            child.setAttribute(value, criterion.Name);
            name = true;
        } else if (tag == QLatin1String("TYPE")) {
            child.setAttribute(value, criterion.Enumerated ? QStringLiteral("Enum")
                                                           : QStringLiteral("Numeric"));
        } else if (tag == QLatin1String("CRITERION")) {
            child.setAttribute(value, criterion.Enumerated ? QStringLiteral("Rank")
                                      : criterion.Cost     ? QStringLiteral("Cost")
                                                           : QStringLiteral("Gain"));
        }
    }
    if (!description)
        node.appendChild(
            AddChildElement(QStringLiteral("DESCRIPTION"), value, criterion.Description));
    if (!name)
        node.appendChild(AddChildElement(QStringLiteral("NAME"), value, criterion.Name));
}

void TXML::UpdateAttributeDescription(const TROLENAME &role) {
    const QString value = QStringLiteral("Value");
    QDomElement node = role.Node;
    bool met = false;
    for (QDomElement child = node.firstChildElement(QStringLiteral("DESCRIPTION")); !child.isNull();
         child = child.nextSiblingElement(QStringLiteral("DESCRIPTION"))) {
        if (child.hasAttribute(value)) {
            child.setAttribute(value, role.Caption);
            met = true;
        }
    }
    if (!met)
        node.appendChild(AddChildElement(QStringLiteral("DESCRIPTION"), value, role.Caption));
}

QDomElement TXML::BackupAttributes() const {
    return AttributesNode.cloneNode(true).toElement();
}

void TXML::RestoreAttributes(const QDomElement &backup, std::vector<TPROBLEM> &criteria,
                             std::vector<TROLENAME> &roles) {
    QDomNode data = AttributesNode.parentNode();
    if (data.isNull())
        data = DataNode;
    if (!AttributesNode.isNull() && AttributesNode.parentNode() == data)
        data.removeChild(AttributesNode);
    data.appendChild(backup);
    FindSections(data, QStringLiteral("ATTRIBUTES"));
    Invalidate();
    SyncAfterRestore(criteria, roles);
}

void TXML::SyncAfterRestore(std::vector<TPROBLEM> &criteria, std::vector<TROLENAME> &roles) {
    QString id;
    for (QDomNode child = AttributesNode.firstChild(); !child.isNull();
         child = child.nextSibling()) {
        const int role = ReadRole(child);
        if (role == RoleOther || !GetAttribute(child, QStringLiteral("AttrID"), id))
            continue;
        if (role == RoleCondition) {
            for (TPROBLEM &c : criteria) {
                if (c.AttrID == id) {
                    c.Node = child.toElement();
                    break;
                }
            }
        } else {
            for (TROLENAME &r : roles) {
                if (r.AttrID == id) {
                    r.Node = child.toElement();
                    break;
                }
            }
        }
    }
}

bool TXML::CriterionNameExists(const std::vector<TPROBLEM> &criteria, const QString &name) {
    for (const TPROBLEM &c : criteria) {
        if (c.Name == name)
            return true;
    }
    return false;
}

// ---- Alternatives and settings

QString TXML::ValueText(const TPROBLEM &criterion, const TVARIANTS &variants, int row) {
    const int column = variants.FindColumn(criterion.Id);
    if (column < 0 || row < 0 || size_t(row) >= variants.Columns[column].Values.size())
        return QString();
    const double v = variants.Value(row, column);
    return criterion.Enumerated ? criterion.LabelOf(v) : NumberToFileText(v);
}

void TXML::CreateObject(const std::vector<TPROBLEM> &criteria, TVARIANTS &variants, int row,
                        const std::vector<TROLENAME> &roles) {
    if (row < 0 || size_t(row) >= variants.Alternatives.size() || roles.size() < 2)
        return;
    TIdIndex &ids = ObjectIds();
    int n = ids.FirstFree;
    while (ids.Count.contains(ObjName(n)))
        ++n;
    const QString id = ObjName(n);
    ++ids.Count[id];
    ids.FirstFree = n + 1;

    const QString attrId = QStringLiteral("AttrID");
    const QString value = QStringLiteral("Value");
    const QString tag = QStringLiteral("VALUE");
    const TVARIANTDEF &alternative = variants.Alternatives[row];
    QDomElement object = AddChildElement(QStringLiteral("OBJECT"), QStringLiteral("ObjID"), id);
    object.appendChild(AddChildElement2(tag, attrId, roles[0].AttrID, value, alternative.Name));
    object.appendChild(
        AddChildElement2(tag, attrId, roles[1].AttrID, value, alternative.Description));
    for (const TPROBLEM &c : criteria)
        object.appendChild(
            AddChildElement2(tag, attrId, c.AttrID, value, ValueText(c, variants, row)));
    ObjectsNode.appendChild(object);
    variants.SetVariantNode(row, object);
}

void TXML::UpdateObjectValues(const std::vector<TPROBLEM> &criteria, const TVARIANTS &variants,
                              int row, const std::vector<TROLENAME> &roles) {
    if (row < 0 || size_t(row) >= variants.Alternatives.size() || roles.size() < 2)
        return;
    const QString attrId = QStringLiteral("AttrID");
    const QString value = QStringLiteral("Value");
    const QString tag = QStringLiteral("VALUE");
    const TVARIANTDEF &alternative = variants.Alternatives[row];
    QDomElement object = alternative.Node;
    std::vector<bool> seen(criteria.size(), false);
    bool nameSeen = false;
    bool descriptionSeen = false;
    QString id;
    for (QDomElement child = object.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (!GetAttribute(child, attrId, id))
            continue;
        if (id == roles[0].AttrID) {
            child.setAttribute(value, alternative.Name);
            nameSeen = true;
        } else if (id == roles[1].AttrID) {
            child.setAttribute(value, alternative.Description);
            descriptionSeen = true;
        } else {
            for (size_t i = 0; i < criteria.size(); ++i) {
                if (criteria[i].AttrID == id) {
                    child.setAttribute(value, ValueText(criteria[i], variants, row));
                    seen[i] = true;
                    break;
                }
            }
        }
    }
    // A loaded OBJECT may lack a role VALUE; without one the edited text would be lost.
    if (!nameSeen)
        object.appendChild(AddChildElement2(tag, attrId, roles[0].AttrID, value, alternative.Name));
    if (!descriptionSeen)
        object.appendChild(
            AddChildElement2(tag, attrId, roles[1].AttrID, value, alternative.Description));
    for (size_t i = 0; i < criteria.size(); ++i) {
        if (!seen[i])
            object.appendChild(AddChildElement2(tag, attrId, criteria[i].AttrID, value,
                                                ValueText(criteria[i], variants, row)));
    }
}

QDomElement TXML::UpsertValueChild(QDomElement parent, const QString &tag, const QString &value) {
    QDomElement child;
    if (FindChild(parent, tag, child)) {
        SetAttribute(child, QStringLiteral("Value"), value);
        return child;
    }
    return AppendTo(parent, AddChildElement(tag, QStringLiteral("Value"), value)).toElement();
}

void TXML::WriteElicitationSettings(const std::vector<TPROBLEM> &criteria, double probability,
                                    int questions, int precision) {
    const QString tag = QStringLiteral("ATTRIBUTE");
    const QString attrId = QStringLiteral("AttrID");
    QString id;
    for (const TPROBLEM &c : criteria) {
        QDomElement entry;
        for (QDomElement child = SettingsNode.firstChildElement(tag); !child.isNull();
             child = child.nextSiblingElement(tag)) {
            if (GetAttribute(child, attrId, id) && id == c.AttrID) {
                entry = child;
                break;
            }
        }
        if (entry.isNull())
            entry = SettingsNode.appendChild(AddChildElement(tag, attrId, c.AttrID)).toElement();
        UpsertValueChild(entry, QStringLiteral("METHOD"), QString::number(c.Method));
        UpsertValueChild(entry, QStringLiteral("MIN"), NumberToFileText(c.Min));
        UpsertValueChild(entry, QStringLiteral("MAX"), NumberToFileText(c.Max));
        // What the user typed for the criterion, so that a problem saved
        // before its results keeps it; the result file carries it as well.
        UpsertValueChild(entry, QStringLiteral("UNITS"), c.Units);
        UpsertValueChild(entry, QStringLiteral("PRECISION"), QString::number(c.Decimals));
    }
    UpsertValueChild(SettingsNode, QStringLiteral("PROBABILITY"), NumberToFileText(probability));
    UpsertValueChild(SettingsNode, QStringLiteral("QUESTIONS"), QString::number(questions));
    UpsertValueChild(SettingsNode, QStringLiteral("PRECISION"), QString::number(precision));
}
