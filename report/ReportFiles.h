// The files of the report preview: the HTML page in the character set it
// declares, its JPEG chart pictures beside it, and the typed zoom.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <vector>

// The page's lines as written to its file: windows-1250, as the page
// declares; characters outside that set as numeric character references.
QByteArray EncodeHtmlPage(const QStringList &lines);

// Where the pictures of a page go: its folder and complete base name
// ("/x/june.html" gives "/x/june"; picture i is that + i + ".jpg").
QString PictureBaseOf(const QString &pageFile);

// A copy of the page whose picture lines (starting "<IMG") refer to
// `pictureName` + i + ".jpg" in place of "chart" + i + ".jpg".
QStringList WithPictureNames(const QStringList &lines, const QString &pictureName);

// The typed zoom: a leading integer (leading blanks and one sign allowed);
// 0, a negative number or no number give 100; the rest is kept within
// least..most, what the preview can show.
int TypedZoom(const QString &text, int least, int most);

// Writes a page and its pictures (picture i as PictureBaseOf(page) + i +
// ".jpg", or `chart` + i when the page keeps its own names). With
// `askBeforeReplacing`, every file that exists is asked about first and a
// No writes nothing. Every write is checked; a failure is shown with the
// file's name. Returns whether the page and all pictures were written.
struct THtmlPageFiles {
    QString PageFile;
    QStringList Lines;
    std::vector<QImage> Pictures;
    // Picture names: "chart" as the page has them, or the page's own base name.
    bool RenamePictures = true;
    bool AskBeforeReplacing = true;

    // The picture files in order.
    QStringList PictureFiles() const;
    enum Result { Written, Cancelled, Failed };
    Result Write() const;
};
