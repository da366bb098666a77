#include "app/Namef.h"

#include "app/Dazazezad.h"
#include "app/Variantsf.h"

#include <QKeyEvent>
#include <QShowEvent>

TNameForm *NameForm = nullptr;

TNameForm::TNameForm(QWidget *owner) : QDialog(owner) {
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    connect(OKBitBtn, &QPushButton::clicked, this, &TNameForm::OKBitBtnClick);
    connect(CancelBitBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TNameForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TNameForm::FormShow() {
    if (VariantsForm)
        NameEdit->setText(VariantsForm->Cells(0, 0));
}

void TNameForm::OKBitBtnClick() {
    if (Kavrel && Kavrel->Roles.size() > 0) {
        TROLENAME &role = Kavrel->Roles[0];
        const bool changed = role.Caption != NameEdit->text();
        role.Caption = NameEdit->text();
        Kavrel->Xml.UpdateAttributeDescription(role);
        if (changed)
            MarkProblemNotSaved();
    }
    done(QDialog::Accepted);
}

void TNameForm::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_F1 && Kavrel) {
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Alternatives));
        return;
    }
    QDialog::keyPressEvent(event);
}
