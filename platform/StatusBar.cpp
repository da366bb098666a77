#include "platform/StatusBar.h"

#include <QHBoxLayout>
#include <QLabel>

TStatusBar::TStatusBar(QWidget *parent) : QStatusBar(parent) {
    setSizeGripEnabled(false);
    auto *row = new QWidget(this);
    layout_ = new QHBoxLayout(row);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(2);
    addWidget(row, 1);
}

void TStatusBar::AddPanel(int width, const QString &text) {
    if (!panels_.empty()) {
        // The panel before the new one is no longer the last: it keeps its width.
        panels_.back()->setFixedWidth(widths_.back());
        panels_.back()->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        layout_->setStretch(layout_->count() - 1, 0);
    }
    auto *panel = new QLabel(text);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setIndent(2);
    panel->setMinimumWidth(width);
    // Long texts are cut at the window's edge, never widen it.
    panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout_->addWidget(panel, 1);
    panels_.push_back(panel);
    widths_.push_back(width);
}

QString TStatusBar::PanelText(int index) const {
    return Panel(index)->text();
}

void TStatusBar::SetPanelText(int index, const QString &text) {
    Panel(index)->setText(text);
}
