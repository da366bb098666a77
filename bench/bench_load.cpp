// Load Problem of a large problem: 10 criteria and 100,000 alternatives (62 MB
// as written here), read the way the frame reads it. Besides the time it reports the
// memory the load takes at its peak ("peak_MB": the highest resident size
// during the load less the size before it) and the file's size ("file_MB").
#include "model/Loading.h"
#include "model/Messages.h"
#include "model/ReadFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int Criteria = 10;
constexpr int Alternatives = 100000;

QTemporaryDir &Folder() {
    static QTemporaryDir dir;
    return dir;
}

void WriteProblem(const QString &file) {
    TDecisionModel model;
    TXML xml;
    xml.NewDocuments(model.Roles);
    for (int i = 0; i < Criteria; ++i) {
        TPROBLEM c;
        c.Name = QStringLiteral("Crit%1").arg(i);
        c.Id = i + 1;
        c.AttrID = QStringLiteral("Attr%1").arg(i + 1);
        c.Cost = i % 2 == 0;
        c.Method = 1 + i % 4;
        c.Used = true;
        c.Min = 0;
        c.Max = 1000;
        c.Node = xml.CreateCriterionAttribute(c);
        c.Init(c.Min, c.Max);
        model.Criteria.push_back(c);
    }
    for (int j = 0; j < Alternatives; ++j) {
        model.Variants.AddVariant(QStringLiteral("Alternative %1").arg(j),
                                  QStringLiteral("Row %1 of the generated table").arg(j));
        for (const TPROBLEM &c : model.Criteria)
            model.Variants.AppendValue(j, ((j * 37 + c.Id * 11) % 9973) / 10.0, c.Id);
    }
    for (int j = 0; j < Alternatives; ++j)
        xml.CreateObject(model.Criteria, model.Variants, j, model.Roles);
    xml.WriteElicitationSettings(model.Criteria, 0.5, 5, 3);
    xml.SaveProblemFile(file);
}

// Made in a child process, so that the memory of making it is not counted as
// the load's.
const QString &ProblemFile() {
    static const QString path = [] {
        const QString file = Folder().filePath(QStringLiteral("large.xml"));
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            WriteProblem(file);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return file;
    }();
    return path;
}

// A line of /proc/self/status in kB, such as VmRSS or VmHWM.
double StatusKb(const char *key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble();
    }
    return 0;
}

// Lets VmHWM start again from the present resident size.
bool ResetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}
} // namespace

static void BM_Load10x100k(benchmark::State &state) {
    const TMessageSink previous = SetMessageSink({});
    const QString file = ProblemFile();
    double peak = 0;
    size_t criteria = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const double before = StatusKb("VmRSS");
        const bool reset = ResetPeak();
        state.ResumeTiming();
        {
            TProblemFile problem;
            if (!problem.Read(file))
                state.SkipWithError(qPrintable(problem.Error));
            criteria = problem.Model.Criteria.size() + problem.Model.Variants.Alternatives.size();
        }
        state.PauseTiming();
        if (reset)
            peak = std::max(peak, (StatusKb("VmHWM") - before) / 1024);
        state.ResumeTiming();
    }
    SetMessageSink(previous);
    state.counters["peak_MB"] = peak;
    state.counters["file_MB"] = double(QFileInfo(file).size()) / (1024 * 1024);
    state.counters["records"] = double(criteria);
}
BENCHMARK(BM_Load10x100k)->Unit(benchmark::kMillisecond)->Iterations(2);
