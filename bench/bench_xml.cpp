// Speed of the problem file: 10 criteria (two enumerated) and 10,000 alternatives.
// Loading and saving are shown next to what the DOM alone needs for the same file
// (the "x_bare" counter is the ratio; the goal is 1.5 or less).
#include "model/DecisionModel.h"
#include "model/Messages.h"
#include "model/Xml.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>

namespace {
constexpr int Rows = 10000;

// A problem with its documents, built the way the editors build one.
struct Problem {
    TDecisionModel Model;
    TXML Xml;

    Problem() {
        Xml.NewDocuments(Model.Roles);
        for (int i = 0; i < 10; ++i) {
            TPROBLEM c;
            c.Name = QStringLiteral("Crit%1").arg(i);
            c.Id = i + 1;
            c.AttrID = QStringLiteral("Attr%1").arg(i + 1);
            c.Cost = i % 2 == 0;
            c.Method = 1 + i % 4;
            c.Used = true;
            c.Min = 0;
            c.Max = 1000;
            c.Node = Xml.CreateCriterionAttribute(c);
            if (i >= 8) {
                c.Enumerated = true;
                c.Used = false;
                c.Min = 1;
                c.Max = 5;
                for (int e = 1; e <= 5; ++e)
                    c.Values.push_back(TEnumvalue{double(e), QStringLiteral("level %1").arg(e)});
                Xml.UpdateCriterionAttribute(c);
                QDomElement type = c.Node.firstChildElement(QStringLiteral("TYPE"));
                QDomElement rank = c.Node.firstChildElement(QStringLiteral("CRITERION"));
                for (const TEnumvalue &e : c.Values) {
                    const QString id = QStringLiteral("e%1").arg(e.Value);
                    type.appendChild(Xml.AddChildElement2(QStringLiteral("ENUM"), "EnumID", id,
                                                          "Value", e.Label));
                    rank.appendChild(Xml.AddChildElement2(QStringLiteral("RANK"), "EnumID", id,
                                                          "Value",
                                                          TXML::NumberToFileText(e.Value)));
                }
            }
            c.Init(c.Min, c.Max);
            Model.Criteria.push_back(c);
        }
        for (int j = 0; j < Rows; ++j) {
            Model.Variants.AddVariant(QStringLiteral("Alternative %1").arg(j),
                                      QStringLiteral("Row %1 of the generated table").arg(j));
            for (const TPROBLEM &c : Model.Criteria) {
                const double v =
                    c.Enumerated ? 1 + (j + c.Id) % 5 : ((j * 37 + c.Id * 11) % 9973) / 9.973;
                Model.Variants.AppendValue(j, v, c.Id);
            }
        }
    }

    void StoreRows() {
        for (int j = 0; j < Rows; ++j)
            Xml.CreateObject(Model.Criteria, Model.Variants, j, Model.Roles);
    }
};

QTemporaryDir &Folder() {
    static QTemporaryDir dir;
    return dir;
}

const QString &ProblemFile() {
    static const QString path = [] {
        Problem p;
        p.StoreRows();
        p.Xml.WriteElicitationSettings(p.Model.Criteria, 0.5, 5, 3);
        const QString file = Folder().filePath(QStringLiteral("problem.xml"));
        p.Xml.SaveProblemFile(file);
        return file;
    }();
    return path;
}

QByteArray ReadAll(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void WriteAll(const QString &path, const QByteArray &text) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
}

double MillisecondsOf(const std::function<void()> &run) {
    double best = 1e300;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

void BareParse() {
    QDomDocument document;
    document.setContent(ReadAll(ProblemFile()));
    benchmark::DoNotOptimize(document);
}

void BareSerialise(const QDomDocument &document) {
    WriteAll(Folder().filePath(QStringLiteral("bare.xml")), document.toByteArray());
}

// Times the loop body itself, so that its mean can be set against the bare operation.
template <typename Body> void RunAgainst(benchmark::State &state, double bareMs, Body body) {
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        body();
        total += timer.nsecsElapsed() / 1e6;
    }
    state.counters["bare_ms"] = bareMs;
    state.counters["x_bare"] = total / double(state.iterations()) / bareMs;
}
} // namespace

static void BM_Xml10k_StoreRows(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        Problem p;
        state.ResumeTiming();
        p.StoreRows();
        benchmark::DoNotOptimize(p.Xml.ObjectsNode);
    }
}
BENCHMARK(BM_Xml10k_StoreRows)->Unit(benchmark::kMillisecond);

static void BM_Xml10k_ParseBare(benchmark::State &state) {
    ProblemFile();
    for (auto _ : state)
        BareParse();
}
BENCHMARK(BM_Xml10k_ParseBare)->Unit(benchmark::kMillisecond);

static void BM_Xml10k_LoadAndReadProblem(benchmark::State &state) {
    const TMessageSink previous = SetMessageSink({});
    const double bare = MillisecondsOf(BareParse);
    RunAgainst(state, bare, [] {
        TXML xml;
        TDecisionModel m;
        double probability = 0.5;
        int questions = 5;
        int precision = 3;
        xml.LoadProblemFile(ProblemFile());
        xml.ReadProblem(m.Criteria, m.Variants, m.Roles);
        xml.ReadGlobalSettings(probability, questions, precision);
        benchmark::DoNotOptimize(m.Variants.Alternatives.data());
    });
    SetMessageSink(previous);
}
BENCHMARK(BM_Xml10k_LoadAndReadProblem)->Unit(benchmark::kMillisecond);

static void BM_Xml10k_SerialiseBare(benchmark::State &state) {
    TXML xml;
    xml.LoadProblemFile(ProblemFile());
    for (auto _ : state)
        BareSerialise(xml.ProblemDoc);
}
BENCHMARK(BM_Xml10k_SerialiseBare)->Unit(benchmark::kMillisecond);

static void BM_Xml10k_WriteSettingsAndSave(benchmark::State &state) {
    const TMessageSink previous = SetMessageSink({});
    TXML xml;
    TDecisionModel m;
    xml.LoadProblemFile(ProblemFile());
    xml.ReadProblem(m.Criteria, m.Variants, m.Roles);
    SetMessageSink(previous);
    const double bare = MillisecondsOf([&] { BareSerialise(xml.ProblemDoc); });
    const QString path = Folder().filePath(QStringLiteral("saved.xml"));
    RunAgainst(state, bare, [&] {
        xml.WriteElicitationSettings(m.Criteria, 0.5, 5, 3);
        xml.SaveProblemFile(path);
    });
}
BENCHMARK(BM_Xml10k_WriteSettingsAndSave)->Unit(benchmark::kMillisecond);
