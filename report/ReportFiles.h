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

// What the pictures of a page are named from: its complete base name, which
// may be empty ("/x/june.html" gives "june", "/x/sub/.htm" gives "").
QString PictureNameOf(const QString &pageFile);
// Picture i of a page: always in the page's own folder ("/x/june.html" gives
// "/x/june0.jpg" for i = 0, "/x/sub/.htm" gives "/x/sub/0.jpg").
QString PictureFileOf(const QString &pageFile, int i);

// A copy of the page whose picture lines (starting "<IMG") refer to
// `pictureName` + i + ".jpg" in place of "chart" + i + ".jpg", the name
// written as a relative URL: every character but letters, digits and
// "-._~" percent-encoded (UTF-8), so no name breaks the markup or the URL.
QStringList WithPictureNames(const QStringList &lines, const QString &pictureName);

// The typed zoom: a leading integer (leading blanks and one sign allowed);
// 0, a negative number or no number give 100; the rest is kept within
// least..most, what the preview can show.
int TypedZoom(const QString &text, int least, int most);

// Writes a page and its pictures (picture i as PictureFileOf(page, i), or
// "chart" + i + ".jpg" beside the page when it keeps its own names). With
// `askBeforeReplacing`, every file that exists is asked about first and a
// No writes nothing. The page and its pictures replace their files together
// or not at all; a failure is shown with the file's name and the reason.
// Returns whether the page and all pictures were written.
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
