// A status bar made of panels of fixed width; the last one takes the rest.
#pragma once

#include <QStatusBar>
#include <vector>

class QHBoxLayout;
class QLabel;

class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget *parent = nullptr);

    void AddPanel(int width, const QString &text);
    int PanelCount() const { return int(panels_.size()); }
    QLabel *Panel(int index) const { return panels_.at(size_t(index)); }
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString &text);

private:
    QHBoxLayout *layout_;
    std::vector<QLabel *> panels_;
    std::vector<int> widths_;
};
