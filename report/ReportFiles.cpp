#include "report/ReportFiles.h"

#include "model/SaveFile.h"
#include "platform/Dialogs.h"
#include "platform/JpegImage.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStringEncoder>
#include <QUrl>

QByteArray EncodeHtmlPage(const QStringList &lines) {
    QStringEncoder encoder("windows-1250", QStringConverter::Flag::Stateless);
    QHash<char32_t, QByteArray> cache;
    QByteArray bytes;
    for (const QString &line : lines) {
        const QList<uint> codes = line.toUcs4();
        for (const uint code : codes) {
            if (code < 0x80) {
                bytes.append(char(code));
                continue;
            }
            auto found = cache.constFind(code);
            if (found == cache.constEnd()) {
                const QString one = QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
                QByteArray encoded =
                    encoder.isValid() ? QByteArray(encoder.encode(one)) : QByteArray();
                // One byte that is not a stand-in '?': the set has the character.
                if (encoded.size() != 1 || encoded[0] == '?' || quint8(encoded[0]) < 0x80)
                    encoded = "&#" + QByteArray::number(code) + ';';
                found = cache.insert(code, encoded);
            }
            bytes.append(*found);
        }
        bytes.append('\n');
    }
    return bytes;
}

QString PictureNameOf(const QString &pageFile) {
    return QFileInfo(pageFile).completeBaseName();
}

QString PictureFileOf(const QString &pageFile, int i) {
    return QFileInfo(pageFile).dir().filePath(PictureNameOf(pageFile) + QString::number(i) +
                                              QStringLiteral(".jpg"));
}

QStringList WithPictureNames(const QStringList &lines, const QString &pictureName) {
    const QString url = QString::fromLatin1(QUrl::toPercentEncoding(pictureName));
    QStringList copy = lines;
    for (QString &line : copy) {
        if (!line.startsWith(QLatin1String("<IMG")))
            continue;
        const qsizetype at = line.indexOf(QLatin1String("chart"));
        if (at >= 0)
            line.replace(at, 5, url);
    }
    return copy;
}

int TypedZoom(const QString &text, int least, int most) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        digits = true;
        // Past the upper limit the exact value no longer matters.
        value = std::min<long long>(value * 10 + (text[i].unicode() - '0'), 1000000000);
    }
    if (negative)
        value = -value;
    if (!digits || value <= 0)
        return 100;
    return int(std::clamp<long long>(value, least, most));
}

QStringList THtmlPageFiles::PictureFiles() const {
    QStringList files;
    for (size_t i = 0; i < Pictures.size(); ++i) {
        files << (RenamePictures
                      ? PictureFileOf(PageFile, int(i))
                      : QFileInfo(PageFile).dir().filePath(QStringLiteral("chart%1.jpg").arg(i)));
    }
    return files;
}

THtmlPageFiles::Result THtmlPageFiles::Write() const {
    const QStringList pictures = PictureFiles();
    if (AskBeforeReplacing) {
        for (const QString &file : QStringList(PageFile) + pictures) {
            if (QFileInfo::exists(file) &&
                MessageDlg(QStringLiteral("File %1 already exists.\nDo you want to replace it?")
                               .arg(QDir::toNativeSeparators(file)),
                           mtWarning, mbYesNo) != mrYes)
                return Cancelled;
        }
    }
    auto failed = [](const QString &file, const QString &why) {
        MessageDlg(QStringLiteral("Can not write %1!\n%2").arg(QDir::toNativeSeparators(file), why),
                   mtError, mbOK);
        return Failed;
    };
    // The page and its pictures are one save: each is written whole beside
    // its file before any replaces one, so a failure leaves an earlier
    // export as it was.
    TSaveFiles files;
    TJPEGImage jpeg;
    jpeg.CompressionQuality = 90;
    for (size_t i = 0; i < Pictures.size(); ++i) {
        jpeg.Assign(Pictures[i]);
        QString why;
        const QByteArray bytes = jpeg.Compress(&why);
        if (bytes.isEmpty())
            return failed(pictures[qsizetype(i)], why);
        files.Add(pictures[qsizetype(i)], bytes);
    }
    const QStringList page =
        RenamePictures ? WithPictureNames(Lines, PictureNameOf(PageFile)) : Lines;
    files.Add(PageFile, EncodeHtmlPage(page));
    if (!files.Commit())
        return failed(files.FailedFile(), files.ErrorString());
    return Written;
}
