#include "model/Messages.h"

#include <QDebug>

namespace {
TMessageSink &CurrentSink() {
    static TMessageSink sink = [](const QString &text, TMsgDlgType) {
        qWarning().noquote() << text;
    };
    return sink;
}
} // namespace

TMessageSink SetMessageSink(TMessageSink sink) {
    TMessageSink previous = std::move(CurrentSink());
    CurrentSink() = std::move(sink);
    return previous;
}

void ShowModelMessage(const QString &text, TMsgDlgType type) {
    if (CurrentSink())
        CurrentSink()(text, type);
}
