#include "platform/PrintQueue.h"

#include "platform/Printing.h"

#include <QEventLoop>
#include <QFile>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QProgressDialog>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <cups/cups.h>
#include <mutex>

std::atomic<int> TQueueHandOver::Timeout{30000};

namespace {

// The options the queue's part of the print dialog chose travel as one
// engine property of the printer, name and value in turn.
constexpr auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// What the job asks for itself; a value the dialog left among the printer's
// options gives way. The dialog puts a range chosen where the print does
// not offer one here: it is the print's own choice whether to print one.
bool OwnOption(const QString &name) {
    static const QStringList own = {
        QStringLiteral("copies"),      QStringLiteral("collate"),
        QStringLiteral("page-ranges"), QStringLiteral("multiple-document-handling"),
        QStringLiteral("outputorder"), QStringLiteral("output-order")};
    return own.contains(name, Qt::CaseInsensitive);
}

} // namespace

TQueueJob QueueJobFor(const QPrinter &printer, const QString &file) {
    TQueueJob job;
    job.Queue = printer.printerName();
    job.File = file;
    job.Title = printer.docName();
    job.Copies = std::max(1, printer.copyCount());
    job.Collate = printer.collateCopies();
    job.LastPageFirst = printer.pageOrder() == QPrinter::LastPageFirst;
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        const QStringList options =
            const_cast<QPrinter &>(printer).printEngine()->property(CupsOptions).toStringList();
        for (qsizetype i = 0; i + 1 < options.size(); i += 2) {
            if (!OwnOption(options[i]))
                job.Options << options[i] << options[i + 1];
        }
    }
    return job;
}

QStringList QueueJobOptions(const TQueueJob &job) {
    QStringList options = job.Options;
    options << QStringLiteral("copies") << QString::number(std::max(1, job.Copies));
    // Both spellings: the IPP attribute, and the option the filters read.
    options << QStringLiteral("multiple-document-handling")
            << (job.Collate ? QStringLiteral("separate-documents-collated-copies")
                            : QStringLiteral("separate-documents-uncollated-copies"));
    options << QStringLiteral("collate")
            << (job.Collate ? QStringLiteral("true") : QStringLiteral("false"));
    if (!job.Pages.isEmpty()) {
        QStringList ranges;
        for (const QPageRanges::Range &range : job.Pages.toRangeList())
            ranges << (range.from == range.to
                           ? QString::number(range.from)
                           : QStringLiteral("%1-%2").arg(range.from).arg(range.to));
        options << QStringLiteral("page-ranges") << ranges.join(QLatin1Char(','));
    }
    if (job.LastPageFirst)
        options << QStringLiteral("outputorder") << QStringLiteral("reverse");
    return options;
}

std::unique_ptr<QPdfWriter> PdfWriterFor(const QPrinter &printer, const QString &file,
                                         int resolution) {
    auto writer = std::make_unique<QPdfWriter>(file);
    writer->setPageLayout(printer.pageLayout());
    writer->setTitle(printer.docName());
    writer->setCreator(printer.creator());
    if (resolution > 0)
        writer->setResolution(resolution);
    return writer;
}

// ---- Handing over ----------------------------------------------------------

struct TQueueHandOver::State {
    TQueueJob Job;
    int Timeout = 0;
    std::atomic<bool> Cancel{false};
    std::atomic<bool> Ended{false};
    std::atomic<int> JobId{0};
    std::mutex Mutex;
    std::condition_variable EndedChanged;
    QString Error;
};

TQueueHandOver::TQueueHandOver(TQueueJob job) : state_(std::make_shared<State>()) {
    state_->Job = std::move(job);
    state_->Timeout = Timeout;
    thread_ = std::thread([state = state_] { Run(state); });
}

TQueueHandOver::~TQueueHandOver() {
    Cancel();
    // Cancel is looked at between waits of a fifth of a second; only the
    // connection to the server waits longer.
    if (Wait(500))
        thread_.join();
    else
        thread_.detach();
}

bool TQueueHandOver::Wait(int milliseconds) {
    std::unique_lock<std::mutex> lock(state_->Mutex);
    return state_->EndedChanged.wait_for(lock, std::chrono::milliseconds(std::max(0, milliseconds)),
                                         [this] { return state_->Ended.load(); });
}

bool TQueueHandOver::Ended() const {
    return state_->Ended;
}

void TQueueHandOver::Cancel() {
    state_->Cancel = true;
}

bool TQueueHandOver::Cancelled() const {
    return state_->Cancel;
}

int TQueueHandOver::JobId() const {
    return state_->JobId;
}

QString TQueueHandOver::Error() const {
    std::lock_guard<std::mutex> lock(state_->Mutex);
    return state_->Error;
}

namespace {

struct Watch {
    const std::atomic<bool> *Cancel;
    std::chrono::steady_clock::time_point Deadline;
    bool TimedOut = false;
};

// Called while libcups waits for the server: 1 waits on, 0 gives up.
int KeepWaiting(http_t *, void *data) {
    auto *watch = static_cast<Watch *>(data);
    if (*watch->Cancel)
        return 0;
    if (std::chrono::steady_clock::now() >= watch->Deadline) {
        watch->TimedOut = true;
        return 0;
    }
    return 1;
}

// cupsCreateJob() first looks the queue up on a connection of its own,
// which waits for a server that does not answer for a minute and more; the
// request on our connection is the same.
int CreateJob(http_t *http, const QByteArray &queue, const QByteArray &title, int optionCount,
              cups_option_t *options) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof(uri), "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", queue.constData());
    ipp_t *request = ippNewRequest(IPP_OP_CREATE_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, title.constData());
    cupsEncodeOptions2(request, optionCount, options, IPP_TAG_OPERATION);
    cupsEncodeOptions2(request, optionCount, options, IPP_TAG_JOB);
    ipp_t *response = cupsDoRequest(http, request, "/printers/");
    int id = 0;
    if (response && cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE) {
        if (ipp_attribute_t *attr = ippFindAttribute(response, "job-id", IPP_TAG_INTEGER))
            id = ippGetInteger(attr, 0);
    }
    ippDelete(response);
    return id;
}

QString CupsReason() {
    const char *reason = cupsLastErrorString();
    return reason && *reason ? QString::fromUtf8(reason) : QString();
}

} // namespace

void TQueueHandOver::Run(const std::shared_ptr<State> &state) {
    const TQueueJob &job = state->Job;
    const int timeout = state->Timeout;
    const std::atomic<bool> &cancel = state->Cancel;
    Watch watch{&cancel, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout)};
    QString reason;
    int id = 0;
    const QByteArray queue = job.Queue.toUtf8();
    const QByteArray title = job.Title.isEmpty() ? queue : job.Title.toUtf8();

    cups_option_t *options = nullptr;
    int optionCount = 0;
    const QStringList pairs = QueueJobOptions(job);
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
        optionCount = cupsAddOption(pairs[i].toUtf8().constData(),
                                    pairs[i + 1].toUtf8().constData(), optionCount, &options);

    QFile file(job.File);
    http_t *http = nullptr;
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("The printed file could not be read.");
    } else {
        http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                            timeout, nullptr);
        if (!http)
            reason = QStringLiteral("The print server %1 can not be reached.")
                         .arg(QString::fromUtf8(cupsServer()));
    }
    if (http) {
        // A short wait, so that Cancel and the deadline are looked at often.
        httpSetTimeout(http, 0.2, KeepWaiting, &watch);
        id = CreateJob(http, queue, title, optionCount, options);
        bool sent = false;
        if (id > 0 && !cancel &&
            cupsStartDocument(http, queue.constData(), id, title.constData(), CUPS_FORMAT_PDF, 1) ==
                HTTP_STATUS_CONTINUE) {
            sent = true;
            QByteArray chunk(1 << 16, Qt::Uninitialized);
            while (sent && !cancel) {
                const qint64 read = file.read(chunk.data(), chunk.size());
                if (read < 0)
                    sent = false;
                if (read <= 0)
                    break;
                sent = cupsWriteRequestData(http, chunk.constData(), size_t(read)) ==
                       HTTP_STATUS_CONTINUE;
            }
            const ipp_status_t status = cupsFinishDocument(http, queue.constData());
            sent = sent && !cancel && status <= IPP_STATUS_OK_EVENTS_COMPLETE;
        }
        if (!sent) {
            if (!watch.TimedOut && !cancel)
                reason = CupsReason();
            if (id > 0 && !watch.TimedOut)
                cupsCancelJob2(http, queue.constData(), id, 0);
            id = 0;
        }
        if (watch.TimedOut)
            reason = QStringLiteral("The print server did not answer within %1 seconds.")
                         .arg(timeout / 1000.0);
        else if (reason.isEmpty() && !sent && !cancel)
            reason = QStringLiteral("The print server refused the print.");
        httpClose(http);
    }
    cupsFreeOptions(optionCount, options);

    {
        std::lock_guard<std::mutex> lock(state->Mutex);
        state->JobId = cancel ? 0 : id;
        if (state->JobId <= 0 && !cancel) {
            state->Error = CannotPrint(job.Queue, QString());
            if (!reason.isEmpty())
                state->Error += QLatin1Char('\n') + reason;
        }
        state->Ended = true;
    }
    state->EndedChanged.notify_all();
}

bool HandToQueue(const TQueueJob &job, QWidget *parent, QString *error) {
    TQueueHandOver handOver(job);
    if (!handOver.Wait(100)) {
        QProgressDialog progress(
            QStringLiteral("Sending the print to printer \"%1\"...").arg(job.Queue),
            QStringLiteral("Cancel"), 0, 0, parent);
        progress.setObjectName(QStringLiteral("PrintProgress"));
        progress.setWindowTitle(QStringLiteral("Print"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(0);
        QEventLoop loop;
        QTimer poll;
        poll.setInterval(50);
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (handOver.Ended())
                loop.quit();
        });
        QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] { handOver.Cancel(); });
        progress.show();
        poll.start();
        // The hand-over ends by itself within its time limit, or on Cancel.
        loop.exec();
    }
    while (!handOver.Wait(1000)) {
    }
    if (!handOver.Succeeded() && error)
        *error = handOver.Error();
    return handOver.Succeeded();
}
