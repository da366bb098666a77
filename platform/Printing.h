// Getting a printer to print: a print only starts on a printer that has a
// printer queue or an output file; one that has neither gets the print
// dialog first, where a printer or a PDF file can be chosen.
#pragma once

#include <QPrinter>
#include <QString>
#include <memory>

class QWidget;

// Whether a print can start on a printer of this output format, printer
// name and output file: it needs an output file, or a printer queue (a
// printer takes the name of an existing queue only).
bool PrinterCanStart(QPrinter::OutputFormat format, const QString &printerName,
                     const QString &outputFile);
// The same for a printer as it is; one left active by a start that failed
// can not start again.
bool PrinterCanStart(const QPrinter &printer);
// Makes the printer ready to start: one that cannot start as it is (no
// printer is set up, say) gets the print dialog. False when the user
// cancelled or chose nothing that can print; that is messaged.
bool ReadyToPrint(QPrinter &printer, QWidget *parent = nullptr);
// A new printer with the choices of `printer` (printer or file, paper,
// copies, document name), at `resolution` dots per inch (0: high resolution).
std::unique_ptr<QPrinter> CopyOfPrinter(const QPrinter &printer, int resolution = 0);
