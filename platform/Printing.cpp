#include "platform/Printing.h"

#include "model/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageRanges>
#include <QPrintEngine>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Only qpdf's std::shared_ptr interface is used, not its old smart pointer.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

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

QByteArray PrintedSheetsPdf(const QPrinter &printer, const QByteArray &pdf) {
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        // A PDF the engine left damaged fails the print rather than print
        // what could be pieced together of it.
        document.setAttemptRecovery(false);
        document.processMemoryFile("printed page", pdf.constData(), size_t(pdf.size()));
        QPDFPageDocumentHelper pages(document);
        const std::vector<QPDFPageObjectHelper> page = pages.getAllPages();
        const std::vector<int> sheets = PrintedSheets(printer, int(page.size()));
        bool asItIs = sheets.size() == page.size();
        for (size_t i = 0; asItIs && i < sheets.size(); ++i)
            asItIs = sheets[i] == int(i);
        if (asItIs)
            return pdf;
        // The pages are put in again in the sheets' order; a page object
        // stands once in a document, so a page's second sheet is a copy of
        // it that shares its contents.
        for (const QPDFPageObjectHelper &p : page)
            pages.removePage(p);
        std::vector<bool> placed(page.size(), false);
        for (int sheet : sheets) {
            QPDFPageObjectHelper p = page[size_t(sheet)];
            pages.addPage(placed[size_t(sheet)] ? p.shallowCopyPage() : p, false);
            placed[size_t(sheet)] = true;
        }
        QPDFWriter writer(document);
        writer.setOutputMemory();
        writer.write();
        const std::shared_ptr<Buffer> written = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char *>(written->getBuffer()),
                          qsizetype(written->getSize()));
    } catch (const std::exception &) {
        return QByteArray();
    }
}

// ---- Prints to a file ------------------------------------------------------

namespace {

// Whether the print's writer finished the file: it is on the disk, and a PDF
// ends with the trailer that points back at its cross-reference table. A
// write that fails as the file is finished (disk full, a size limit) leaves
// it cut short, and the PDF writer does not report that.
bool WrittenWhole(const QString &name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    const QByteArray head = file.read(5);
    if (head != "%PDF-")
        // Not a PDF: its size is all there is to check; the start of one
        // ("%PDF") is one cut short.
        return !QByteArrayLiteral("%PDF-").startsWith(head);
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
    const QByteArray table = file.read(4);
    return table == "xref" || (!table.isEmpty() && std::isdigit(uchar(table[0])));
}

} // namespace

TPrintFile::TPrintFile(QPrinter &printer) {
    if (printer.outputFileName().isEmpty())
        return;
    target_ = printer.outputFileName();
    auto save = std::make_unique<TSaveFile>(target_);
    const QString part = save->Open() ? save->FileName() : QString();
    if (part.isEmpty()) {
        // The target is never opened (a FIFO would stop the print until a
        // reader came): the print goes nowhere and fails with the reason.
        refused_ = save->ErrorString();
        printer.setOutputFileName(QStringLiteral("/dev/null"));
        return;
    }
    save_ = std::move(save);
    printer.setOutputFileName(part);
}

TPrintFile::~TPrintFile() {
    Discard();
}

QString TPrintFile::Refused() const {
    return refused_.isEmpty() ? QString()
                              : CannotPrint(QString(), target_) + QLatin1Char('\n') + refused_;
}

bool TPrintFile::Commit(QString *error) {
    QString why = refused_;
    if (!save_ && why.isEmpty())
        return true; // a printer queue
    if (save_) {
        if (!WrittenWhole(save_->FileName()))
            why = save_->WhyCutShort();
        else if (!save_->Commit())
            why = save_->ErrorString();
        save_.reset();
    }
    refused_.clear();
    if (why.isEmpty())
        return true;
    if (error)
        *error = CannotPrint(QString(), target_) + QLatin1Char('\n') + why;
    return false;
}

void TPrintFile::Discard() {
    save_.reset();
    refused_.clear();
}
