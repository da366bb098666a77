#include "platform/Printing.h"

#include <QDir>
#include <QFileInfo>
#include <QPageRanges>
#include <QPrintEngine>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>

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

TPrintFile::TPrintFile(QPrinter &printer) {
    if (printer.outputFileName().isEmpty())
        return;
    target_ = printer.outputFileName();
    const QFileInfo info(target_);
    // Beside the target, so that it takes the target's place in one rename.
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
    // The file keeps the target's permissions, or gets a new file's.
    const QFileInfo target(target_);
    QFile::setPermissions(part_->fileName(), target.exists()
                                                 ? target.permissions()
                                                 : QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ReadGroup | QFile::ReadOther);
    // rename() replaces an existing target at once; QFile::rename would not.
    const bool ok = std::rename(QFile::encodeName(part_->fileName()).constData(),
                                QFile::encodeName(target_).constData()) == 0;
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
