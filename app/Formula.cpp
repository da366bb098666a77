#include "app/Formula.h"

#include "app/Dazazezad.h"
#include "platform/Fonts.h"

#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <algorithm>
#include <cmath>

TForm_Formula *Form_Formula = nullptr;

namespace {
constexpr int ClientWidth = 466;
// Room between a panel's longest line and its right edge, frame included.
constexpr int PanelMargin = 8;
// Between the formula panel and the k panel, as the stored form has it.
constexpr int PanelGap = 9;

// The width of a label's text as it shows: trailing blanks leave no ink.
int InkWidth(const QLabel *label) {
    QString text = label->text();
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return QFontMetrics(label->font()).horizontalAdvance(text);
}

// The width a panel needs for the labels in it.
int NeededWidth(const QFrame *panel) {
    int right = 0;
    for (const QLabel *label : panel->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        if (!label->isHidden())
            right = std::max(right, label->x() + InkWidth(label));
    }
    return right + PanelMargin;
}

void SetFontHeight(QLabel *label, int pixels, const QString &family = QString()) {
    QFont font = label->font();
    if (!family.isEmpty())
        font.setFamilies({family, font.family()});
    font.setPixelSize(pixels);
    label->setFont(font);
}

// Labels size themselves to their text, as the window's labels always did.
void SetCaption(QLabel *label, const QString &text) {
    label->setText(text);
    label->adjustSize();
}
} // namespace

TForm_Formula::TForm_Formula(QWidget *owner) : QDialog(owner) {
    setupUi(this);
    // Window managers draw a maximise button on a window of fixed size as well:
    // this one works. The window never shrinks below its content, and a larger
    // window keeps the content in its middle.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    Content = new QWidget(this);
    Content->setObjectName(QStringLiteral("Content"));
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child != Content) {
            const QRect place = child->geometry();
            const bool hidden = child->isHidden();
            child->setParent(Content);
            child->setGeometry(place);
            child->setHidden(hidden);
        }
    }
    SetContentSize(ClientWidth, 298);
    for (QLabel *label : {Label_formulaKenRaytext, Label_Label_formulaKenRay, Label_n, Label_i4,
                          Label_i1, Label_i2, Label_i3})
        SetFontHeight(label, 16);
    SetFontHeight(Label_pi, 19);
    Label_pi->setText(QStringLiteral("\u220F")); // the product sign
    Label_pi->setFont(FontForText(Label_pi->font(), Label_pi->text()));
    SetFontHeight(Label_Ktext, 13, QStringLiteral("Microsoft Sans Serif"));
    for (QLabel *label : {Label_Kvalue, Label_formulatext, Label_leftside, Label_rightside,
                          Label_scallingtext, Label_k})
        SetFontHeight(label, 13);
    for (QLabel *label : findChildren<QLabel *>())
        label->adjustSize();
    PlaceFormulaSigns();
    // The caption fits its panel as stored whatever the font's widths: closer
    // to the frame where the font is wide.
    const int room = Panel_k->width() - 8;
    if (Label_scallingtext->width() > room - Label_scallingtext->x())
        Label_scallingtext->move(std::max(4, Panel_k->width() - Label_scallingtext->width()) / 2,
                                 Label_scallingtext->y());
    for (QFrame *panel : {Panel_formulaKenRay, Panel_BigK, Panel_formula, Panel_k})
        storedPanels_.push_back({panel, panel->geometry()});
    connect(BitBtn_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn_help, &QPushButton::clicked, this, &TForm_Formula::BitBtn_helpClick);
    connect(BitBtn_copy, &QPushButton::clicked, this, &TForm_Formula::BitBtn_copyClick);
}

TForm_Formula::~TForm_Formula() {
    // Nothing may reach the window through its global once it is gone.
    if (Form_Formula == this)
        Form_Formula = nullptr;
}

void TForm_Formula::PlaceFormulaSigns() {
    // The general formula leaves blanks for the product sign and the subscripts:
    // put them where this font's widths put the blanks, the sign and its
    // indices by their ink (the sign's font is one that has it).
    const QLabel *formula = Label_Label_formulaKenRay;
    const QString text = formula->text();
    const QFontMetricsF metrics(formula->font());
    const auto after = [&](const QString &part) {
        const qsizetype at = text.indexOf(part);
        return formula->x() + metrics.horizontalAdvance(text.left(at + part.size()));
    };
    const auto place = [](QLabel *label, double x, double y) {
        label->move(int(std::lround(x)), int(std::lround(y)));
    };
    const QFontMetricsF sign(Label_pi->font());
    const QRectF signInk = sign.tightBoundingRect(Label_pi->text());
    const double base = formula->y() + metrics.ascent();
    const double gapStart = after(QStringLiteral("1 ="));
    const double gapEnd = after(QStringLiteral("1 =      "));
    // Centred in the gap, its middle on the middle of "=".
    const double axis = base + metrics.tightBoundingRect(QStringLiteral("=")).center().y();
    place(Label_pi, (gapStart + gapEnd - signInk.width()) / 2 - signInk.left(),
          axis - signInk.center().y() - sign.ascent());

    // "n" over the sign and "i" under it.
    const TSignIndices indices =
        SignIndices(Label_pi->pos(), sign, Label_pi->text(), QFontMetricsF(Label_n->font()),
                    Label_n->text(), Label_i4->text());
    place(Label_n, indices.Over.x(), indices.Over.y());
    place(Label_i4, indices.Under.x(), indices.Under.y());

    const int sub = int(base - QFontMetricsF(Label_i1->font()).ascent() / 2);
    Label_i1->move(int(after(QStringLiteral("(k"))), sub);
    Label_i2->move(int(after(QStringLiteral("K * u"))), sub);
    Label_i3->move(int(after(QStringLiteral("(g"))), sub);
}

bool TForm_Formula::FormulaShown() const {
    return Kavrel && Kavrel->SolutionComplete && !Kavrel->DialogueMode && Kavrel->UsedCount >= 1;
}

void TForm_Formula::PlaceButtons(int left, int top) {
    BitBtn_ok->move(left, top);
    BitBtn_help->move(left + 105, top);
    BitBtn_copy->move(left + 210, top);
}

void TForm_Formula::SetContentSize(int width, int height) {
    Content->resize(width, height);
    setMinimumSize(width, height);
    if (!isMaximized() && !isFullScreen())
        resize(width, height);
    CentreContent();
}

void TForm_Formula::CentreContent() {
    Content->move(std::max(0, (width() - Content->width()) / 2),
                  std::max(0, (height() - Content->height()) / 2));
}

void TForm_Formula::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    CentreContent();
}

void TForm_Formula::RestorePanels() {
    for (const TPanelPlace &place : storedPanels_)
        place.Panel->setGeometry(place.Stored);
    ShiftUpperPanels(0);
}

void TForm_Formula::ShiftUpperPanels(int shift) {
    const int by = shift - upperShift_;
    for (QFrame *panel : {Panel_formulaKenRay, Panel_BigK}) {
        for (QLabel *label : panel->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
            label->move(label->x() + by, label->y());
    }
    upperShift_ = shift;
}

int TForm_Formula::FitPanels() {
    // The stored layout where every line fits it. Where one does not (many
    // decimals, a negative K), its panel grows to the right, the k panel moves
    // along, and the panels above widen to the same edge with their text kept
    // in their middle.
    const int storedRight = Panel_k->geometry().right() + 1;
    Panel_formula->resize(std::max(Panel_formula->width(), NeededWidth(Panel_formula)),
                          Panel_formula->height());
    Panel_k->move(Panel_formula->geometry().right() + 1 + PanelGap, Panel_k->y());
    Panel_k->resize(std::max(Panel_k->width(), NeededWidth(Panel_k)), Panel_k->height());
    int extra = Panel_k->geometry().right() + 1 - storedRight;
    for (const QFrame *panel : {Panel_formulaKenRay, Panel_BigK})
        extra = std::max(extra, 2 * (NeededWidth(panel) - panel->width()));
    if (extra <= 0)
        return 0;
    Panel_k->resize(storedRight + extra - Panel_k->x(), Panel_k->height());
    for (QFrame *panel : {Panel_formulaKenRay, Panel_BigK})
        panel->resize(panel->width() + extra, panel->height());
    ShiftUpperPanels(extra / 2);
    return extra;
}

void TForm_Formula::FormShow() {
    RestorePanels();
    // The list decides: a used count that fell out of step with it names no criterion.
    std::vector<const TPROBLEM *> used;
    if (Kavrel) {
        for (const TPROBLEM &c : Kavrel->Criteria) {
            if (c.Used && int(used.size()) < MaxCriteria)
                used.push_back(&c);
        }
    }
    if (!FormulaShown() || used.empty()) {
        SetContentSize(ClientWidth, 160);
        BitBtn_ok->move(ClientWidth / 2 - 92, 160 - 40);
        BitBtn_help->move(ClientWidth / 2 + 17, 160 - 40);
        BitBtn_copy->hide();
        Panel_BigK->hide();
        Panel_formula->hide();
        Panel_k->hide();
        return;
    }
    const TKavrel &k = *Kavrel;
    const int decimals = k.ProbabilityPrecision;
    const auto fmt = [decimals](double v) { return FormatFixed(v, decimals); };
    // The same test as the utilities of the ranking, so both always agree.
    const bool additive = k.Model.IsAdditive();
    const double k1 = used.front()->SmallK;
    SetCaption(Label_Kvalue, QStringLiteral("K = ") + fmt(FactorK));
    SetCaption(Label_k, QStringLiteral("k1 = ") + fmt(k1));
    if (additive) {
        SetCaption(Label_leftside, QStringLiteral("U(g) ="));
        SetCaption(Label_rightside,
                   QStringLiteral("  ") + fmt(k1) + QStringLiteral(" * u1( g1(a) ) "));
    } else {
        SetCaption(Label_leftside, fmt(FactorK) + QStringLiteral(" * U(g) + 1 =  "));
        SetCaption(Label_rightside, QStringLiteral("( ") + fmt(FactorK * k1) +
                                        QStringLiteral(" * u1( g1(a) ) + 1 ) "));
    }

    for (size_t j = 1; j < used.size(); ++j) {
        const double kj = used[j]->SmallK;
        const QString n = QString::number(j + 1);
        auto *kLabel = new QLabel(Panel_k);
        kLabel->setFont(Label_k->font());
        kLabel->move(Label_k->x(), Label_k->y() + 20 * int(j));
        SetCaption(kLabel, QStringLiteral("k") + n + QStringLiteral(" = ") + fmt(kj));
        kLabel->show();
        KLabels[j] = kLabel;

        auto *line = new QLabel(Panel_formula);
        line->setFont(Label_rightside->font());
        const int top = Label_rightside->y() + 20 * int(j);
        if (additive) {
            line->move(Label_rightside->x() - 4, top);
            SetCaption(line, QStringLiteral("+ ") + fmt(kj) + QStringLiteral(" * u") + n +
                                 QStringLiteral("( g") + n + QStringLiteral("(a) ) "));
        } else {
            line->move(Label_rightside->x() - 8, top);
            SetCaption(line, QStringLiteral("* ( ") + fmt(FactorK * kj) + QStringLiteral(" * u") +
                                 n + QStringLiteral("( g") + n + QStringLiteral("(a) ) + 1 ) "));
        }
        line->show();
        FormulaLines[j] = line;
    }

    const int panelHeight = 20 * int(used.size()) + 50;
    Panel_k->resize(Panel_k->width(), panelHeight);
    Panel_formula->resize(Panel_formula->width(), panelHeight);
    const int extra = FitPanels();
    SetContentSize(ClientWidth + extra, panelHeight + 230);
    PlaceButtons(95 + extra / 2, panelHeight + 230 - 40);
    BitBtn_copy->show();
    Panel_BigK->show();
    Panel_formula->show();
    Panel_k->show();
}

QString TForm_Formula::FormulaText() const {
    QString text = Label_leftside->text() + Label_rightside->text();
    for (size_t j = 1; j < FormulaLines.size(); ++j) {
        if (FormulaLines[j])
            text += FormulaLines[j]->text();
    }
    return text;
}

void TForm_Formula::BitBtn_copyClick() {
    if (!Kavrel || !Kavrel->SolutionComplete || Kavrel->UsedCount <= 0)
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(FormulaText());
}

void TForm_Formula::FormClose() {
    for (auto *labels : {&KLabels, &FormulaLines}) {
        for (QLabel *&label : *labels) {
            delete label;
            label = nullptr;
        }
    }
    BitBtn_copy->hide();
    Panel_BigK->hide();
    Panel_formula->hide();
    Panel_k->hide();
}

void TForm_Formula::done(int result) {
    // OK, Escape and the close box all end here, so the labels always go.
    FormClose();
    QDialog::done(result);
}

void TForm_Formula::BitBtn_helpClick() {
    if (Kavrel)
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Formula));
}

void TForm_Formula::FormKeyDown(QKeyEvent *key) {
    if (key->key() == Qt::Key_F1)
        BitBtn_helpClick();
}

bool TForm_Formula::PreviewKey(QKeyEvent *event) {
    FormKeyDown(event);
    return false;
}

void TForm_Formula::showEvent(QShowEvent *event) {
    if (!event->spontaneous()) {
        FormShow();
        // Centred on the screen, at the size this showing gave it.
        if (const QScreen *s = screen(); s && !isMaximized() && !isFullScreen())
            move(s->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}
