#include "app/Enumf.h"

#include "app/Criteriaf.h"
#include "app/Dazazezad.h"

#include <QKeyEvent>
#include <QShowEvent>

TEnumForm *EnumForm = nullptr;

TEnumForm::TEnumForm(QWidget *owner) : QDialog(owner) {
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QPalette inactive = EnumGrid->palette();
    inactive.setColor(QPalette::Base, palette().color(QPalette::Inactive, QPalette::Window));
    EnumGrid->setPalette(inactive);
}

void TEnumForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TEnumForm::FormShow() {
    int index = -1;
    if (CriteriaForm && Kavrel) {
        if (const QListWidgetItem *item = CriteriaForm->CriteriaListBox->currentItem())
            index = Kavrel->CriterionIndexByName(item->text());
    }
    EnumGrid->clearContents();
    const std::vector<TEnumvalue> none;
    const std::vector<TEnumvalue> &values =
        index >= 0 ? Kavrel->Criteria[size_t(index)].Values : none;
    EnumGrid->setRowCount(int(values.size()) + 1);
    auto fixed = [](const QString &text) {
        auto *item = new QTableWidgetItem(text);
        item->setBackground(QPalette().color(QPalette::Button));
        return item;
    };
    EnumGrid->setItem(0, 0, fixed(QStringLiteral("Name")));
    EnumGrid->setItem(0, 1, fixed(QStringLiteral("Value")));
    for (size_t j = 0; j < values.size(); ++j) {
        EnumGrid->setItem(int(j) + 1, 0, new QTableWidgetItem(values[j].Label));
        EnumGrid->setItem(int(j) + 1, 1, new QTableWidgetItem(FloatToExactStr(values[j].Value)));
    }
}

void TEnumForm::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_F1 && Kavrel) {
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Criteria));
        return;
    }
    QDialog::keyPressEvent(event);
}
