// Small controls of the dialogs built on plain Qt widgets: a group box of radio
// buttons read as one numbered choice, and a read-only line edit that shows a
// colour, picked in a colour dialog.
#pragma once

#include "platform/Colors.h"

#include <QColorDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QList>
#include <QRadioButton>

// The radio buttons of a group box in the order the form created them.
inline QList<QRadioButton *> RadioItems(const QGroupBox *group) {
    return group->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly);
}

// Index of the checked item, -1 when none is.
inline int RadioItemIndex(const QGroupBox *group) {
    const QList<QRadioButton *> items = RadioItems(group);
    for (int i = 0; i < items.size(); ++i) {
        if (items[i]->isChecked())
            return i;
    }
    return -1;
}

// Checks the item at index; any other index leaves none checked.
inline void SetRadioItemIndex(QGroupBox *group, int index) {
    const QList<QRadioButton *> items = RadioItems(group);
    for (int i = 0; i < items.size(); ++i) {
        // Exclusive buttons refuse to be all unchecked.
        items[i]->setAutoExclusive(false);
        items[i]->setChecked(i == index);
        items[i]->setAutoExclusive(true);
    }
}

inline void SetSwatchColor(QLineEdit *swatch, TColor color) {
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Base, ToQColor(color));
    palette.setColor(QPalette::Disabled, QPalette::Base, ToQColor(color));
    swatch->setPalette(palette);
    swatch->setReadOnly(true);
}

inline TColor SwatchColor(const QLineEdit *swatch) {
    return FromQColor(swatch->palette().color(QPalette::Base));
}

// Opens the colour dialog on the swatch's colour; a confirmed choice goes into the swatch.
inline bool PickSwatchColor(QColorDialog *dialog, QLineEdit *swatch) {
    dialog->setCurrentColor(ToQColor(SwatchColor(swatch)));
    if (dialog->exec() != QDialog::Accepted)
        return false;
    SetSwatchColor(swatch, FromQColor(dialog->selectedColor()));
    return true;
}

// Puts a dialog in the middle of the window that owns it.
inline void CenterOnOwner(QWidget *dialog) {
    if (const QWidget *owner = dialog->parentWidget()) {
        const QRect frame = owner->window()->frameGeometry();
        dialog->move(frame.center() - dialog->rect().center());
    }
}
