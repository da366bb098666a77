#include "platform/Printing.h"

#include "platform/Dialogs.h"

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

bool ReadyToPrint(QPrinter &printer, QWidget *parent) {
    if (PrinterCanStart(printer))
        return true;
    if (!PrintDlg(printer, parent))
        return false;
    if (PrinterCanStart(printer))
        return true;
    MessageDlg(QStringLiteral("Can not print: there is no printer and no file to print to."),
               mtError, mbOK);
    return false;
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
    if (resolution > 0)
        to->setResolution(resolution);
    return to;
}
