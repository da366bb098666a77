#include "app/Descriptionf.h"

#include "app/Dazazezad.h"
#include "app/Variantsf.h"

#include <QKeyEvent>
#include <QShowEvent>

TDescriptionForm *DescriptionForm = nullptr;

TDescriptionForm::TDescriptionForm(QWidget *owner) : QDialog(owner) {
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    connect(OKBitBtn, &QPushButton::clicked, this, &TDescriptionForm::OKBitBtnClick);
    connect(CancelBitBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TDescriptionForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TDescriptionForm::FormShow() {
    if (VariantsForm)
        DescriptionEdit->setText(VariantsForm->Cells(1, 0));
}

void TDescriptionForm::OKBitBtnClick() {
    if (Kavrel && Kavrel->Roles.size() > 1) {
        TROLENAME &role = Kavrel->Roles[1];
        const bool changed = role.Caption != DescriptionEdit->text();
        role.Caption = DescriptionEdit->text();
        Kavrel->Xml.UpdateAttributeDescription(role);
        if (changed)
            MarkProblemNotSaved();
    }
    done(QDialog::Accepted);
}

void TDescriptionForm::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_F1 && Kavrel) {
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Alternatives));
        return;
    }
    QDialog::keyPressEvent(event);
}
