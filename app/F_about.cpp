#include "app/F_about.h"

#include "app/AppResources.h"

TFAbout *FAbout = nullptr;

TFAbout::TFAbout(QWidget *owner) : QDialog(owner) {
    InitAppResources();
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    connect(SB_Exit_Function, &QToolButton::clicked, this, &TFAbout::SB_Exit_FunctionClick);
}

void TFAbout::SB_Exit_FunctionClick() {
    close();
}
