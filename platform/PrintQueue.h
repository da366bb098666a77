// Prints on a printer queue: the print is written as a PDF file, which the
// program hands to CUPS itself. Qt's own CUPS print engine drops what CUPS
// answers, so a queue that refused the print, or a print server that was
// gone, looked like a print made. Here the print has succeeded when CUPS has
// taken the job; what the printer does with it later is the queue's to show.
#pragma once

#include <QPageLayout>
#include <QPageRanges>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <thread>

class QPdfWriter;
class QPrinter;
class QWidget;

// One print for a queue: the PDF file and what the queue is asked to do
// with it.
struct TQueueJob {
    QString Queue;
    QString File;
    QString Title;
    int Copies = 1;
    bool Collate = true;
    bool LastPageFirst = false;
    // The pages of the file to print (all when empty).
    QPageRanges Pages;
    // Further options for the queue, name and value in turn (the page set,
    // pages per sheet and the like that the queue's part of the print
    // dialog chose).
    QStringList Options;
};

// The job a print on `printer` (which prints to a queue) makes of `file`:
// its queue, copies, collation, page order and options. The printer's page
// range is left to the caller: a print that lays its pages out itself has
// already left out the pages it was not to print.
TQueueJob QueueJobFor(const QPrinter &printer, const QString &file);

// The options CUPS gets for the job, name and value in turn.
QStringList QueueJobOptions(const TQueueJob &job);

// A writer for the PDF file of a print on `printer`'s queue, with its paper,
// margins and title, at `resolution` dots per inch. Unlike a printer made for
// the file, it does not ask the print server anything.
std::unique_ptr<QPdfWriter> PdfWriterFor(const QPrinter &printer, const QString &file,
                                         int resolution);

// Hands a job to CUPS on a thread of its own, so that the window goes on
// answering. It ends by itself: a print server that does not answer within
// Timeout milliseconds fails the print.
class TQueueHandOver {
public:
    explicit TQueueHandOver(TQueueJob job);
    // Cancels the hand-over. One that does not end at once (a server that
    // is slow to be reached) ends by itself in the background.
    ~TQueueHandOver();
    TQueueHandOver(const TQueueHandOver &) = delete;
    TQueueHandOver &operator=(const TQueueHandOver &) = delete;

    // Waits at most `milliseconds` for the end; true when it has ended.
    bool Wait(int milliseconds);
    bool Ended() const;
    // Stops the hand-over; a job CUPS has begun is cancelled there.
    void Cancel();
    bool Cancelled() const;

    // Once ended: whether CUPS took the job, its number, and what failed.
    bool Succeeded() const { return JobId() > 0 && !Cancelled(); }
    int JobId() const;
    QString Error() const;

    // How long the print server may take to take a job.
    static std::atomic<int> Timeout;

private:
    // What the hand-over's thread shares with its owner; the last of the
    // two to let go frees it.
    struct State;
    static void Run(const std::shared_ptr<State> &state);
    std::shared_ptr<State> state_;
    std::thread thread_;
};

// Hands the job to its queue while a progress dialog with Cancel shows it,
// the window answering meanwhile; true when the queue took it. A failure
// gives its reason in `error`; a cancelled hand-over none.
bool HandToQueue(const TQueueJob &job, QWidget *parent, QString *error);
