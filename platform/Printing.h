// Getting a printer to print: a print starts at once only on a printer
// queue; a print to a file, or on a printer that has neither, gets the
// print dialog first, filled with the last choice, so that no file is
// written over without the user seeing where the print goes.
#pragma once

#include "platform/Dialogs.h"

#include <QPrinter>
#include <QString>
#include <memory>
#include <vector>

class TSaveFile;
class QWidget;

// Whether a print can start on a printer of this output format, printer
// name and output file: it needs an output file, or a printer queue (a
// printer takes the name of an existing queue only).
bool PrinterCanStart(QPrinter::OutputFormat format, const QString &printerName,
                     const QString &outputFile);
// The same for a printer as it is; one left active by a start that failed
// can not start again.
bool PrinterCanStart(const QPrinter &printer);
// Whether a print on this printer goes straight to a printer queue, so that
// it may start without asking.
bool PrintsToQueue(const QPrinter &printer);
// Makes the printer ready to start: one that does not print to a queue gets
// the print dialog, offering `offer`. False when the user cancelled or chose
// nothing that can print; that is messaged.
bool ReadyToPrint(QPrinter &printer, QWidget *parent = nullptr, const TPrintOffer &offer = {});
// What a print that failed says: the file it was for, or else the printer.
QString CannotPrint(const QString &printerName, const QString &file);
// A new printer with the choices of `printer` (printer or file, paper,
// copies, page range, document name), at `resolution` dots per inch (0: high
// resolution).
std::unique_ptr<QPrinter> CopyOfPrinter(const QPrinter &printer, int resolution = 0);

// The pages (from 0) of a document of `pageCount` pages in the order the
// sheets come out: the printer's page range and page order, and, where the
// printer does not make copies itself, each copy, collated or not.
std::vector<int> PrintedSheets(const QPrinter &printer, int pageCount);
// The PDF a print on `printer` writes, made from `pdf`, one copy of every
// page of the document: its pages in the order of PrintedSheets, a page
// printed more than once repeated. `pdf` itself when that order is its own;
// empty when it can not be read or the new PDF can not be made.
QByteArray PrintedSheetsPdf(const QPrinter &printer, const QByteArray &pdf);

// A print to a file writes a new file beside it (TSaveFile), which takes the
// file's place only when the print has succeeded and the file was written
// whole: a cancelled or failed print leaves what was there. A symbolic link
// stays and the file it points to is replaced; that file keeps its owner,
// group and modes, and one the user may not write to is not replaced. A target
// that is not a regular file is never opened: the print goes nowhere and fails.
// Prints to a printer queue are left as they are.
class TPrintFile {
public:
    // Points `printer` at the new file when it prints to one.
    explicit TPrintFile(QPrinter &printer);
    ~TPrintFile();
    TPrintFile(const TPrintFile &) = delete;
    TPrintFile &operator=(const TPrintFile &) = delete;

    // The file the print is for (empty for a printer queue).
    QString Target() const { return target_; }
    // Why the target can not be printed to (not a regular file, one the user
    // may not write, no such folder), known before anything is printed; the
    // message says it as Commit would. Empty when the print may go on.
    QString Refused() const;
    // Puts the printed file in the target's place; false (with `error`) when
    // it can not or the file was not written whole.
    bool Commit(QString *error = nullptr);
    // Drops what was printed.
    void Discard();

private:
    QString target_;
    std::unique_ptr<TSaveFile> save_;
    QString refused_; // why the target can not be replaced, found before printing
};
