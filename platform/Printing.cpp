#include "platform/Printing.h"

#include <QDir>
#include <QFileInfo>
#include <QPageRanges>
#include <QPrintEngine>
#include <QTemporaryFile>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool PrinterCanStart(QPrinter::OutputFormat format, const QString &printerName,
                     const QString &outputFile) {
    if (!outputFile.isEmpty())
        return true;
    // Without a queue Qt falls back to PDF output, which needs a file.
    return format == QPrinter::NativeFormat && !printerName.isEmpty();
}

bool PrinterCanStart(const QPrinter &printer) {
    return printer.printerState() != QPrinter::Active &&
           PrinterCanStart(printer.outputFormat(), printer.printerName(), printer.outputFileName());
}

bool PrintsToQueue(const QPrinter &printer) {
    return PrinterCanStart(printer) && printer.outputFileName().isEmpty();
}

bool ReadyToPrint(QPrinter &printer, QWidget *parent, const TPrintOffer &offer) {
    if (PrintsToQueue(printer))
        return true;
    if (!PrintDlg(printer, parent, offer))
        return false;
    if (PrinterCanStart(printer))
        return true;
    MessageDlg(QStringLiteral("Can not print: there is no printer and no file to print to."),
               mtError, mbOK);
    return false;
}

QString CannotPrint(const QString &printerName, const QString &file) {
    return file.isEmpty() ? QStringLiteral("Can not print on printer \"%1\".").arg(printerName)
                          : QStringLiteral("Can not write %1.").arg(file);
}

std::unique_ptr<QPrinter> CopyOfPrinter(const QPrinter &from, int resolution) {
    auto to = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // The format first: naming a queue or a file switches it.
    to->setOutputFormat(from.outputFormat());
    if (from.outputFormat() == QPrinter::NativeFormat && !from.printerName().isEmpty())
        to->setPrinterName(from.printerName());
    // An empty file name would switch a PDF printer back to a queue.
    if (!from.outputFileName().isEmpty())
        to->setOutputFileName(from.outputFileName());
    to->setPageLayout(from.pageLayout());
    to->setDocName(from.docName());
    to->setCreator(from.creator());
    to->setCopyCount(from.copyCount());
    to->setCollateCopies(from.collateCopies());
    to->setColorMode(from.colorMode());
    to->setDuplex(from.duplex());
    to->setPageOrder(from.pageOrder());
    to->setFullPage(from.fullPage());
    to->setPrintRange(from.printRange());
    to->setPageRanges(from.pageRanges());
    // The options a printer queue's own part of the print dialog chose (page
    // set, pages per sheet and the like) travel as one engine property.
    constexpr auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    if (from.outputFormat() == QPrinter::NativeFormat) {
        const QVariant options = from.printEngine()->property(CupsOptions);
        if (options.isValid())
            to->printEngine()->setProperty(CupsOptions, options);
    }
    if (resolution > 0)
        to->setResolution(resolution);
    return to;
}

std::vector<int> PrintedSheets(const QPrinter &printer, int pageCount) {
    std::vector<int> pages;
    const QPageRanges ranges = printer.pageRanges();
    const bool all = printer.printRange() != QPrinter::PageRange || ranges.isEmpty();
    for (int page = 1; page <= pageCount; ++page) {
        if (all || ranges.contains(page))
            pages.push_back(page - 1);
    }
    if (printer.pageOrder() == QPrinter::LastPageFirst)
        std::reverse(pages.begin(), pages.end());
    // A printer queue makes the copies itself; a file gets them from us.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    std::vector<int> sheets;
    sheets.reserve(pages.size() * size_t(copies));
    if (printer.collateCopies()) {
        for (int copy = 0; copy < copies; ++copy)
            sheets.insert(sheets.end(), pages.begin(), pages.end());
    } else {
        for (int page : pages)
            sheets.insert(sheets.end(), size_t(copies), page);
    }
    return sheets;
}

// ---- Prints to a file ------------------------------------------------------

namespace {

// The file a print to `name` replaces: the one a symbolic link points to, so
// that the link stays. A loop of links is left as it is and fails on writing.
QString FileBehindLinks(const QString &name) {
    QString path = name;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(path);
        if (!info.isSymLink())
            return path;
        path = info.symLinkTarget();
    }
    return name;
}

// The modes a file created now gets: 0666 less the umask. The kernel reports
// the umask without changing it; setting it to read it is a fallback only,
// as other threads may create files meanwhile.
mode_t NewFileMode() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        while (!status.atEnd()) {
            const QByteArray line = status.readLine();
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return 0666 & ~mode_t(mask);
            }
        }
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Whether the print's writer finished the file: it is on the disk, and a PDF
// ends with the trailer that points back at its cross-reference table. A
// write that fails as the file is finished (disk full, a size limit) leaves
// it cut short, and the PDF writer does not report that.
bool WrittenWhole(const QString &name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0 || ::fsync(file.handle()) != 0)
        return false;
    if (file.read(5) != "%PDF-")
        return true; // not a PDF: its size is all there is to check
    const qint64 size = file.size();
    const qint64 tailStart = std::max<qint64>(0, size - 1024);
    if (!file.seek(tailStart))
        return false;
    const QByteArray tail = file.readAll().trimmed();
    if (!tail.endsWith("%%EOF"))
        return false;
    const qsizetype at = tail.lastIndexOf("startxref");
    if (at < 0)
        return false;
    bool ok = false;
    const qint64 xref = tail.mid(at + 9, tail.size() - 5 - at - 9).trimmed().toLongLong(&ok);
    if (!ok || xref < 0 || xref >= tailStart + at || !file.seek(xref))
        return false;
    // A table ("xref") or a cross-reference stream ("N 0 obj").
    const QByteArray head = file.read(4);
    return head == "xref" || (!head.isEmpty() && std::isdigit(uchar(head[0])));
}

} // namespace

TPrintFile::TPrintFile(QPrinter &printer) {
    if (printer.outputFileName().isEmpty())
        return;
    target_ = printer.outputFileName();
    replaced_ = FileBehindLinks(target_);
    // A file the user may not write to is not replaced behind its back: the
    // print then fails on the file itself, as writing it would.
    if (QFileInfo::exists(replaced_)) {
        const int fd = ::open(QFile::encodeName(replaced_).constData(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        ::close(fd);
    }
    const QFileInfo info(replaced_);
    // Beside the file, so that it takes the file's place in one rename.
    auto part = std::make_unique<QTemporaryFile>(
        info.dir().filePath(QStringLiteral(".%1.XXXXXX.part").arg(info.fileName())));
    // A folder that can not take it: the print fails on the target itself
    // and says so.
    if (!part->open())
        return;
    part->close();
    part_ = std::move(part);
    printer.setOutputFileName(part_->fileName());
}

TPrintFile::~TPrintFile() {
    Discard();
}

bool TPrintFile::Commit(QString *error) {
    if (!part_)
        return true;
    const QByteArray part = QFile::encodeName(part_->fileName());
    const QByteArray replaced = QFile::encodeName(replaced_);
    // A replaced file keeps its own modes, a new one gets a new file's.
    struct stat old {};
    const mode_t mode =
        ::stat(replaced.constData(), &old) == 0 ? old.st_mode & 07777 : NewFileMode();
    // rename() replaces an existing file at once; QFile::rename would not.
    const bool ok = WrittenWhole(part_->fileName()) && ::chmod(part.constData(), mode) == 0 &&
                    std::rename(part.constData(), replaced.constData()) == 0;
    if (ok)
        part_->setAutoRemove(false);
    else if (error)
        *error = CannotPrint(QString(), target_);
    part_.reset();
    return ok;
}

void TPrintFile::Discard() {
    part_.reset();
}
