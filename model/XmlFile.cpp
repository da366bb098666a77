// Loading and saving the documents by file name.
//
// The text is written by our own serialiser: the DOM keeps attributes in a hash, so
// its own output orders them differently from run to run. Ours writes them in the
// order the program creates them, so saving the same problem twice gives the same
// file.
#include "model/ReadFile.h"
#include "model/SaveFile.h"
#include "model/Xml.h"

#include <QFile>
#include <QRegularExpression>
#include <QVarLengthArray>
#include <algorithm>

namespace {

void AppendEscaped(QString &out, const QString &text, bool attribute) {
    const auto needsEscape = [attribute](char16_t u) {
        return u < 0x20 || u == '&' || u == '<' || u == '>' || (attribute && u == '"') ||
               u == 0xFFFE || u == 0xFFFF;
    };
    if (std::none_of(text.cbegin(), text.cend(),
                     [&](QChar c) { return needsEscape(c.unicode()); })) {
        out += text;
        return;
    }
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\n':
            out += attribute ? QLatin1String("&#10;") : QLatin1String("\n");
            break;
        case '\r':
            out += QLatin1String("&#13;");
            break;
        case '\t':
            out += attribute ? QLatin1String("&#9;") : QLatin1String("\t");
            break;
        default:
            // Other control characters have no form in XML 1.0; writing them would
            // give a file that no parser takes back.
            if (!needsEscape(u))
                out += c;
            break;
        }
    }
}

// The order in which the program creates attributes; others follow by name.
int AttributeRank(const QString &name) {
    static const char *const order[] = {"DataID", "AttrID", "ObjID", "EnumID",
                                        "Name",   "X",      "Y",     "Value"};
    for (int i = 0; i < int(std::size(order)); ++i) {
        if (name == QLatin1String(order[i]))
            return i;
    }
    return int(std::size(order));
}

bool IsBlank(const QString &text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\n') || c == QLatin1Char('\r') ||
               c == QLatin1Char('\t');
    });
}

constexpr int IndentWidth = 3;

class Serialiser {
public:
    QString Out;

    void Document(const QDomDocument &document) {
        for (QDomNode node = document.firstChild(); !node.isNull(); node = node.nextSibling()) {
            Node(node, 0, true);
            Out += QLatin1Char('\n');
        }
    }

private:
    void Indent(int depth) {
        Out += QLatin1Char('\n');
        Out += QString(depth * IndentWidth, QLatin1Char(' '));
    }

    void Node(const QDomNode &node, int depth, bool topLevel = false) {
        switch (node.nodeType()) {
        case QDomNode::ElementNode:
            Element(node.toElement(), depth);
            break;
        case QDomNode::TextNode:
            AppendEscaped(Out, node.nodeValue(), false);
            break;
        case QDomNode::CDATASectionNode:
            Out += QLatin1String("<![CDATA[");
            Out += node.nodeValue().replace(QLatin1String("]]>"), QLatin1String("]]]]><![CDATA[>"));
            Out += QLatin1String("]]>");
            break;
        case QDomNode::CommentNode:
            Out += QLatin1String("<!--") + node.nodeValue() + QLatin1String("-->");
            break;
        case QDomNode::ProcessingInstructionNode: {
            const QDomProcessingInstruction pi = node.toProcessingInstruction();
            QString data = pi.data();
            // The file is always UTF-8, XML's default: a declared encoding would lie.
            if (topLevel && pi.target() == QLatin1String("xml")) {
                static const QRegularExpression encoding(
                    QStringLiteral("\\s*encoding\\s*=\\s*(['\"])[^'\"]*\\1"));
                data.remove(encoding);
            }
            Out += QLatin1String("<?") + pi.target();
            if (!data.isEmpty())
                Out += QLatin1Char(' ') + data;
            Out += QLatin1String("?>");
            break;
        }
        case QDomNode::EntityReferenceNode:
            Out += QLatin1Char('&') + node.nodeName() + QLatin1Char(';');
            break;
        case QDomNode::DocumentTypeNode: {
            const QDomDocumentType type = node.toDocumentType();
            Out += QLatin1String("<!DOCTYPE ") + type.name();
            if (!type.publicId().isEmpty())
                Out += QLatin1String(" PUBLIC \"") + type.publicId() + QLatin1String("\" \"") +
                       type.systemId() + QLatin1Char('"');
            else if (!type.systemId().isEmpty())
                Out += QLatin1String(" SYSTEM \"") + type.systemId() + QLatin1Char('"');
            if (!type.internalSubset().isEmpty())
                Out += QLatin1String(" [") + type.internalSubset() + QLatin1Char(']');
            Out += QLatin1Char('>');
            break;
        }
        default:
            break;
        }
    }

    void Element(const QDomElement &element, int depth) {
        const QString tag = element.tagName();
        Out += QLatin1Char('<');
        Out += tag;
        const QDomNamedNodeMap map = element.attributes();
        QVarLengthArray<QDomAttr, 4> attributes;
        for (int i = 0, n = map.length(); i < n; ++i)
            attributes.append(map.item(i).toAttr());
        std::sort(attributes.begin(), attributes.end(), [](const QDomAttr &a, const QDomAttr &b) {
            const int ra = AttributeRank(a.name());
            const int rb = AttributeRank(b.name());
            return ra != rb ? ra < rb : a.name() < b.name();
        });
        for (const QDomAttr &a : attributes) {
            Out += QLatin1Char(' ');
            Out += a.name();
            Out += QLatin1String("=\"");
            AppendEscaped(Out, a.value(), true);
            Out += QLatin1Char('"');
        }
        QDomNode first = element.firstChild();
        if (first.isNull()) {
            Out += QLatin1String("/>");
            return;
        }
        Out += QLatin1Char('>');
        // Children that are elements only (and layout whitespace) go one a line;
        // anything holding real text is written exactly as it stands.
        bool structured = false;
        bool text = false;
        for (QDomNode child = first; !child.isNull(); child = child.nextSibling()) {
            if (child.isCDATASection() || (child.isText() && !IsBlank(child.nodeValue())))
                text = true;
            else if (!child.isText())
                structured = true;
        }
        const bool pretty = structured && !text;
        for (QDomNode child = first; !child.isNull(); child = child.nextSibling()) {
            if (pretty) {
                if (child.isText())
                    continue;
                Indent(depth + 1);
            }
            Node(child, depth + 1);
        }
        if (pretty)
            Indent(depth);
        Out += QLatin1String("</");
        Out += tag;
        Out += QLatin1Char('>');
    }
};

} // namespace

QByteArray TXML::DocumentText(const QDomDocument &document) {
    Serialiser s;
    s.Document(document);
    return s.Out.toUtf8();
}

bool TXML::SaveProblemFile(const QString &fileName, QString *error) const {
    return TSaveFile::WriteFile(fileName, DocumentText(ProblemDoc), error);
}

bool TXML::SaveResultFile(const QString &fileName, QString *error) const {
    return TSaveFile::WriteFile(fileName, DocumentText(ResultDoc), error);
}

bool TXML::LoadDocument(const QString &fileName, QDomDocument &document, TXmlParseError &error) {
    QByteArray text;
    QString why;
    if (!ReadWholeFile(fileName, text, why, MaxDocumentFileBytes)) {
        error = TXmlParseError{0, 0, why, QString()};
        return false;
    }
    QDomDocument parsed;
    QString reason;
    int line = 0;
    int column = 0;
    if (!parsed.setContent(text, &reason, &line, &column)) {
        error = TXmlParseError{line, column, reason, fileName};
        return false;
    }
    document = parsed;
    return true;
}

bool TXML::LoadProblemFile(const QString &fileName) {
    return LoadDocument(fileName, ProblemDoc, ProblemParseError);
}

bool TXML::LoadResultFile(const QString &fileName) {
    if (!LoadDocument(fileName, ResultDoc, ResultParseError))
        return false;
    ResultApplied = false;
    return true;
}

QString TXML::ParseErrorText(const QDomDocument &document) const {
    const TXmlParseError &e = &document == &ResultDoc ? ResultParseError : ProblemParseError;
    // A file that was never parsed has a reason that names it already.
    if (e.FileName.isEmpty())
        return e.Reason;
    return QString::asprintf("Error on line %d column %d : \n", e.Line, e.Column) + e.Reason +
           FileNameLine(e.FileName);
}
