#include "report/F_raport.h"

#include "platform/Fonts.h"
#include "report/ReportContent.h"
#include "ui_F_raport.h"

#include <QFontMetricsF>
#include <QScreen>
#include <cmath>

TRaport *Raport = nullptr;

namespace {
TQRLabel *FormulaLabel(QObject *owner, const char *name, int left, int top, const QString &caption,
                       const QString &family, int size) {
    auto *label = new TQRLabel(owner);
    label->setObjectName(QLatin1String(name));
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    label->Font = QRFont(family, size);
    // No white box of their own (the band is white): the indices reach into
    // the formula's line, and a box would wipe the letters beside them.
    label->Transparent = true;
    return label;
}
} // namespace

TRaport::TRaport(QWidget *owner)
    : QWidget(owner, Qt::Window), QR_Main(new TQuickRep(this)), Memo_Begining_Of_File(Html::Head()),
      ui_(std::make_unique<Ui::TRaport>()) {
    ui_->setupUi(this);
    Grid_ranking = ui_->Grid_ranking;
    if (const QScreen *desktop = screen())
        move(desktop->availableGeometry().center() - rect().center());

    QR_Main->setObjectName(QStringLiteral("QR_Main"));
    QR_Main->Font = QRFont(QStringLiteral("Arial"), 10);
    QR_Main->FirstPageHeader = true;
    QR_Main->LastPageFooter = true;
    QR_Main->PrintIfEmpty = true;
    QR_Main->OnPreview = [this] { QR_MainPreview(); };
    QR_Main->OnStartPage = [this](TQuickRep *) { QR_MainStartPage(); };

    QRBand_Title = new TQRBand(QR_Main, rbTitle);
    QRBand_Title->setObjectName(QStringLiteral("QRBand_Title"));
    QRBand_Title->Left = 38;
    QRBand_Title->Top = 38;
    QRBand_Title->Width = 718;
    QRBand_Title->Height = 107;
    QRL_Title = new TQRLabel(QRBand_Title);
    QRL_Title->setObjectName(QStringLiteral("QRL_Title"));
    QRL_Title->AutoSize = false;
    QRL_Title->SetBounds(32, 39, 617, 66);
    QRL_Title->Alignment = taCenter;
    QRL_Title->Font = QRFont(QStringLiteral("Arial"), 22, true);
    QRL_Title->Transparent = false;
    QRL_Title->SetCaption(QStringLiteral("Title"));

    QRBand1 = new TQRBand(QR_Main, rbPageFooter);
    QRBand1->setObjectName(QStringLiteral("QRBand1"));
    QRBand1->Left = 38;
    QRBand1->Top = 145;
    QRBand1->Width = 718;
    QRBand1->Height = 16;
    QRSysData1 = new TQRSysData(QRBand1);
    QRSysData1->setObjectName(QStringLiteral("QRSysData1"));
    QRSysData1->Data = qrsReportTitle;
    QRSysData1->SetLeft(8);
    QRSysData1->Font = QRFont(QStringLiteral("Arial"), 10);
    QRLabel1 = new TQRLabel(QRBand1);
    QRLabel1->setObjectName(QStringLiteral("QRLabel1"));
    QRLabel1->SetLeft(608);
    QRLabel1->SetCaption(QStringLiteral("Page nr"));
    QRLabel1->Font = QRFont(QStringLiteral("Arial"), 10);
    QRSysData2 = new TQRSysData(QRBand1);
    QRSysData2->setObjectName(QStringLiteral("QRSysData2"));
    QRSysData2->Data = qrsPageNumber;
    QRSysData2->SetLeft(664);
    QRSysData2->Font = QRFont(QStringLiteral("Arial"), 10);

    const QString arial = QStringLiteral("Arial");
    F1 = FormulaLabel(this, "F1", 232, 48, QStringLiteral("K * U(a) + 1 =      "), arial, 16);
    F2 = FormulaLabel(this, "F2", 361, 30, QStringLiteral("n"), arial, 12);
    F3 = FormulaLabel(this, "F3", 363, 69, QStringLiteral("i"), arial, 12);
    // The product sign itself: no font here maps "P" to it as the old symbol font did.
    F4 = FormulaLabel(this, "F4", 360, 48, QString(QChar(0x220F)), QStringLiteral("Symbol"), 14);
    F5 = FormulaLabel(this, "F5", 413, 70, QStringLiteral("i"), arial, 12);
    F6 = FormulaLabel(this, "F6", 447, 69, QStringLiteral("i"), arial, 12);
    F7 = FormulaLabel(this, "F7", 505, 70, QStringLiteral("i"), arial, 12);
    F8 = FormulaLabel(this, "F8", 392, 48, QStringLiteral("(k * K * u  (g  (a)) + 1)"), arial, 16);
    PlaceFormulaSigns();

    Memo_HTML = Memo_Begining_Of_File;
}

void TRaport::PlaceFormulaSigns() {
    // The stored places suit the fonts the formula was drawn with once; here
    // the sign and the indices go where this font's widths and heights put
    // the blanks the formula leaves for them, as in the formula window.
    const QFontMetricsF text(QRDesignFont(F1->Font));
    const QFontMetricsF formula(QRDesignFont(F8->Font));
    // The sign from the font that really draws it (the family may have no such glyph).
    const QString shownSign = QRShownText(F4->Font, F4->Caption());
    const QFontMetricsF sign(FontForText(QRDesignFont(F4->Font), shownSign));
    const QFontMetricsF index(QRDesignFont(F2->Font));
    const auto place = [](TQRLabel *label, double left, double top) {
        label->SetLeft(int(std::lround(left)));
        label->SetTop(int(std::lround(top)));
    };

    // The sign centred between "=" and the bracket (the bracket moves right
    // when that leaves less than a blank either side), its middle on the
    // middle of "=".
    const double base = F1->Top() + text.ascent();
    const QString left = F1->Caption().trimmed();
    const double gapStart = F1->Left() + text.horizontalAdvance(left);
    const QRectF signInk = sign.tightBoundingRect(shownSign);
    const double blank = text.horizontalAdvance(QLatin1Char(' '));
    F8->SetLeft(std::max(F8->Left(), int(std::ceil(gapStart + signInk.width() + 2 * blank))));
    const double axis = base + text.tightBoundingRect(left.right(1)).center().y();
    place(F4, (gapStart + F8->Left() - signInk.width()) / 2 - signInk.left(),
          axis - signInk.center().y() - sign.ascent());

    // "n" over the sign and "i" under it.
    const TSignIndices indices = SignIndices(QPointF(F4->Left(), F4->Top()), sign, shownSign, index,
                                             F2->Caption(), F3->Caption());
    place(F2, indices.Over.x(), indices.Over.y());
    place(F3, indices.Under.x(), indices.Under.y());
    const double apart = IndexGap(index);

    // Each subscript just past the ink of its letter: k, u and g.
    const QString bracket = F8->Caption();
    const auto after = [&](const QString &part, const TQRLabel *sub) {
        const QString upTo = bracket.left(bracket.indexOf(part) + part.size());
        return F8->Left() + formula.tightBoundingRect(upTo).right() + apart -
               index.tightBoundingRect(sub->Caption()).left();
    };
    const double subTop = F8->Top() + formula.ascent() - index.ascent() / 2;
    place(F5, after(QStringLiteral("(k"), F5), subTop);
    place(F6, after(QStringLiteral("K * u"), F6), subTop);
    place(F7, after(QStringLiteral("(g"), F7), subTop);
}

TRaport::~TRaport() {
    // The wizard may outlive the document at exit; it must not reach a freed one.
    if (Raport == this)
        Raport = nullptr;
}

void TRaport::QR_MainPreview() {
    if (PreviewControl)
        PreviewControl->SetQRPrinter(QR_Main->QRPrinter());
}

void TRaport::QR_MainStartPage() {
    // The count of this preparation, however often the report was prepared before.
    PageCounter = QR_Main->PageNumber();
}
