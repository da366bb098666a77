// Helpers shared by the test suites.
#pragma once

#include "model/Messages.h"
#include "model/Problem.h"

#include <QLocale>
#include <QStringList>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

// Records what the model tells the user, in order, while it lives.
struct MessageRecorder {
    QStringList texts;
    QList<TMsgDlgType> types;
    TMessageSink previous;
    MessageRecorder() {
        previous = SetMessageSink([this](const QString &t, TMsgDlgType type) {
            texts << t;
            types << type;
        });
    }
    ~MessageRecorder() { SetMessageSink(previous); }
};

// Sets the default locale while it lives.
struct LocaleGuard {
    QLocale saved;
    explicit LocaleGuard(const QLocale &l) { QLocale::setDefault(l); }
    ~LocaleGuard() { QLocale::setDefault(saved); }
};

inline QLocale PointLocale() {
    return QLocale(QLocale::English, QLocale::UnitedStates);
}
inline QLocale CommaLocale() {
    return QLocale(QLocale::German, QLocale::Germany);
}

// The rows of a test run once under each kind of decimal separator.
inline void AddLocaleRows() {
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("point") << PointLocale();
    QTest::newRow("comma") << CommaLocale();
}

// "(x,u) (x,u) ..." of a function's points.
inline QString PointsText(const TFUNCTION &f) {
    QStringList parts;
    for (const TFuncPoint &p : f.Points)
        parts << QStringLiteral("(%1,%2)").arg(p.x).arg(p.u);
    return parts.join(QLatin1Char(' '));
}

// Limits the size of the files this process writes while it lives, as a full
// disk would: a write past the limit fails (with no signal) instead.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(qint64 bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        set_ = ::getrlimit(RLIMIT_FSIZE, &old_) == 0;
        rlimit limit = old_;
        limit.rlim_cur = rlim_t(bytes);
        set_ = set_ && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }
    TFileSizeLimit(const TFileSizeLimit &) = delete;
    TFileSizeLimit &operator=(const TFileSizeLimit &) = delete;
    bool Set() const { return set_; }

private:
    rlimit old_{};
    void (*handler_)(int);
    bool set_ = false;
};
