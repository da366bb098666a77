// The one way model code tells the user something. The application routes it to
// its message boxes; tests install a sink that records the texts.
#pragma once

#include <QString>
#include <functional>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

using TMessageSink = std::function<void(const QString &text, TMsgDlgType type)>;

// Installs the sink and returns the one it replaces.
TMessageSink SetMessageSink(TMessageSink sink);
void ShowModelMessage(const QString &text, TMsgDlgType type = mtInformation);
