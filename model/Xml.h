// The document holder: the live problem and result documents, their readers and
// writers. Records (criteria, roles, alternatives) keep their own elements; the
// holder keeps the section elements and the text of the last read error.
#pragma once

#include "model/Problem.h"
#include "model/Variants.h"

#include <QDomDocument>
#include <QDomElement>
#include <QHash>
#include <QString>
#include <vector>

// Where and why the last load of a document failed.
struct TXmlParseError {
    int Line = 0;
    int Column = 0;
    QString Reason;
    // The file that did not parse; empty when it could not even be read, and
    // Reason then names it.
    QString FileName;
};

class TXML {
public:
    TXML() = default;

    // Classes of an ATTRIBUTES child by its ROLE Value.
    enum { RoleName = 0, RoleCondition = 1, RoleOther = 2, RoleDescription = 3 };

    QDomDocument ProblemDoc;
    QDomDocument ResultDoc;
    QString LastError;
    QDomElement DataNode;       // DATA of the problem document
    QDomElement AttributesNode; // ATTRIBUTES
    QDomElement ObjectsNode;    // OBJECTS
    QDomElement SettingsNode;   // KAVREL
    QDomElement ResultRootNode; // ZUZOVODODEZI of the result document
    bool Found = false;         // set by the root searches; callers clear it first

    // The two role columns of a new problem: MAKE "Name" and DESC "Description".
    static TROLENAME DefaultRole(int index);

    // ---- Documents and files
    // Rebuilds both documents as empty skeletons and links each role to its new element.
    void NewDocuments(std::vector<TROLENAME> &roles);
    // Parse the file into the document. On failure the document is left as it was
    // and ParseErrorText of that document describes the fault.
    bool LoadProblemFile(const QString &fileName);
    bool LoadResultFile(const QString &fileName);
    QString ParseErrorText(const QDomDocument &document) const;
    QString GetErrorMessage() const { return LastError; }
    // Write the document as UTF-8 through a file beside it (TSaveFile), so that a
    // failed save leaves any earlier file untouched. False, with the system's
    // reason in `error`, when the file could not be written.
    bool SaveProblemFile(const QString &fileName, QString *error = nullptr) const;
    bool SaveResultFile(const QString &fileName, QString *error = nullptr) const;
    // The text a save writes.
    static QByteArray DocumentText(const QDomDocument &document);

    // ---- Searches and generic readers (names compared exactly)
    bool FindData();
    bool FindSections(const QDomNode &parent, const QString &name);
    bool FindProblemRoot();
    bool FindResultRoot();
    bool FindChild(const QDomNode &parent, const QString &tag, QDomElement &child) const;
    bool GetChildAttribute(const QDomNode &parent, const QString &tag, const QString &name,
                           QString &value) const;
    bool GetAttribute(const QDomNode &element, const QString &name, QString &value) const;
    void SetAttribute(QDomElement element, const QString &name, const QString &value);
    // Removes the node from its parent. Elements of alternatives and criteria are
    // removed through here so that the identifier look-ups stay right.
    void RemoveNode(QDomNode node);
    bool FindObjectById(const QString &id);
    bool FindAttributeById(const QString &id);

    // ---- Element factories: new elements in no tree
    QDomElement AddChildElement(const QString &tag, const QString &name, const QString &value);
    QDomElement AddResultChildElement(const QString &tag, const QString &name,
                                      const QString &value);
    QDomElement AddChildElement2(const QString &tag, const QString &name1, const QString &value1,
                                 const QString &name2, const QString &value2);

    // ---- Roles and criteria in ATTRIBUTES
    QDomElement CreateNameAttribute(const TROLENAME &role);
    QDomElement CreateDescriptionAttribute(const TROLENAME &role);
    // Appends the criterion's ATTRIBUTE to ATTRIBUTES and returns it.
    QDomElement CreateCriterionAttribute(const TPROBLEM &criterion);
    void UpdateCriterionAttribute(const TPROBLEM &criterion);
    void UpdateAttributeDescription(const TROLENAME &role);
    QDomElement BackupAttributes() const;
    void RestoreAttributes(const QDomElement &backup, std::vector<TPROBLEM> &criteria,
                           std::vector<TROLENAME> &roles);
    void SyncAfterRestore(std::vector<TPROBLEM> &criteria, std::vector<TROLENAME> &roles);
    static bool CriterionNameExists(const std::vector<TPROBLEM> &criteria, const QString &name);

    // ---- Alternatives in OBJECTS and settings in KAVREL
    // Every criterion must have its value column holding a value for the row.
    void CreateObject(const std::vector<TPROBLEM> &criteria, TVARIANTS &variants, int row,
                      const std::vector<TROLENAME> &roles);
    void UpdateObjectValues(const std::vector<TPROBLEM> &criteria, const TVARIANTS &variants,
                            int row, const std::vector<TROLENAME> &roles);
    void WriteElicitationSettings(const std::vector<TPROBLEM> &criteria, double probability,
                                  int questions, int precision);

    // ---- Problem reader: false with the message in LastError
    bool ReadProblem(std::vector<TPROBLEM> &criteria, TVARIANTS &variants,
                     std::vector<TROLENAME> &roles);
    // Out values whose element is absent keep what the caller passed.
    bool ReadGlobalSettings(double &probability, int &questions, int &precision);
    int ReadRole(const QDomNode &attribute) const;
    bool ReadCriterion(const QDomElement &attribute, TPROBLEM &criterion);
    bool ReadCriterionSettings(TPROBLEM &criterion);
    bool ReadEnum(const QDomElement &attribute, TENUM &values);
    bool ReadEnumAttributes(const QDomNode &parent, const QString &tag,
                            std::vector<EnumAttributes> &items);
    bool ReadObjectValues(const std::vector<TPROBLEM> &criteria, TVARIANTS &variants,
                          const QDomElement &object, const std::vector<TROLENAME> &roles);
    bool FindValue(const QDomNode &object, const QString &attrId, QString &value);

    // ---- Result document; K is the program-wide FactorK
    void WriteResults(const std::vector<TPROBLEM> &criteria);
    void WritePoints(QDomElement points, const std::vector<TFuncPoint> &list);
    bool ReadResults(std::vector<TPROBLEM> &criteria);
    // The same, with the number of criteria the file was applied to: 0 means the
    // file named none of them, and its K is no result of this problem.
    bool ReadResults(std::vector<TPROBLEM> &criteria, int &applied);
    bool ReadPoints(const QDomElement &points, TPROBLEM &criterion);

    // ---- Numbers as text in both files: "." whatever the locale
    static QString FloatStrToXml(const QString &text);
    // General form, up to 15 significant digits: 2.5, 1234.5, 1e-06.
    static QString NumberToFileText(double value);
    // First "." to the locale separator, then converted; false for text that is no
    // finite number.
    static bool FileTextToNumber(const QString &text, double &value);
    // The integer settings: the text unchanged as a locale number, truncated toward zero.
    static bool FileTextToTruncated(const QString &text, int &value);
    // " (tag "T", Name "text")" for a message on a value that was refused; the
    // tag is left out when empty, a long text is cut short.
    static QString ValueDetail(const QString &tag, const QString &name, const QString &text);
    // A refused value as a message shows it: a long text cut short.
    static QString ShownValue(const QString &text);

private:
    static bool SearchNamed(const QDomNode &root, const QString &name, QDomElement &found);
    bool LoadDocument(const QString &fileName, QDomDocument &document, TXmlParseError &error);
    void NewResultDocument();
    QDomNode AppendTo(QDomNode parent, const QDomNode &child);
    QDomElement UpsertValueChild(QDomElement parent, const QString &tag, const QString &value);
    QDomElement CreateRoleAttribute(const TROLENAME &role, const QString &roleValue);
    void CompleteRole(std::vector<TROLENAME> &roles, int index);
    static QString ValueText(const TPROBLEM &criterion, const TVARIANTS &variants, int row);

    // Identifier counts of the OBJECT children of ObjectsNode and of the ATTRIBUTE
    // children of AttributesNode, rebuilt when the section changes, so that storing
    // many alternatives does not rescan the section per row.
    struct TIdIndex {
        QDomElement Section;
        QHash<QString, int> Count;
        int FirstFree = 0; // every "Obj" number below it is taken
        bool Valid = false;
    };
    TIdIndex &ObjectIds();
    TIdIndex &AttributeIds();
    void Invalidate();

    TXmlParseError ProblemParseError;
    TXmlParseError ResultParseError;
    // False after a result file was loaded and not yet applied: the next write then
    // starts from a fresh skeleton instead of the refused file.
    bool ResultApplied = true;
    TIdIndex ObjIndex;
    TIdIndex AttrIndex;
};
