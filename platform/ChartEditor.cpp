#include "platform/ChartEditor.h"

#include "platform/Dialogs.h"
#include "platform/PrintQueue.h"
#include "platform/Printing.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <cfloat>

TColorButton::TColorButton(QWidget *parent) : QPushButton(parent) {
    SetColor(clBlack);
    connect(this, &QPushButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(ToQColor(color_), this);
        if (c.isValid())
            SetColor(FromQColor(c));
    });
}

void TColorButton::SetColor(TColor color) {
    color_ = color;
    QPixmap swatch(32, 14);
    swatch.fill(ToQColor(color));
    setIcon(QIcon(swatch));
    setIconSize(swatch.size());
}

namespace {
QDoubleSpinBox *ValueBox(QWidget *parent) {
    auto *box = new QDoubleSpinBox(parent);
    box->setRange(-DBL_MAX, DBL_MAX);
    box->setDecimals(6);
    return box;
}

QWidget *Page(QTabWidget *tabs, const QString &title, QFormLayout *&form) {
    auto *page = new QWidget(tabs);
    form = new QFormLayout(page);
    tabs->addTab(page, title);
    return page;
}
} // namespace

TChartEditor::TChartEditor(QWidget *parent) : QDialog(parent) {
    setWindowTitle(tr("Editing chart"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    Tabs = new QTabWidget(this);
    layout->addWidget(Tabs);
    QFormLayout *form = nullptr;

    Page(Tabs, tr("Titles"), form);
    TitleText = new QPlainTextEdit;
    FootText = new QPlainTextEdit;
    TitleColor = new TColorButton;
    form->addRow(tr("Title:"), TitleText);
    form->addRow(tr("Title colour:"), TitleColor);
    form->addRow(tr("Foot:"), FootText);

    Page(Tabs, tr("Axis"), form);
    AxisChoice = new QComboBox;
    AxisChoice->addItems({tr("Left"), tr("Right"), tr("Top"), tr("Bottom")});
    AxisTitle = new QLineEdit;
    AxisAutomatic = new QCheckBox(tr("Automatic"));
    AxisMinimum = ValueBox(this);
    AxisMaximum = ValueBox(this);
    AxisIncrement = ValueBox(this);
    AxisIncrement->setMinimum(0);
    AxisFormat = new QLineEdit;
    AxisVisible = new QCheckBox(tr("Visible"));
    AxisGrid = new QCheckBox(tr("Grid"));
    form->addRow(tr("Axis:"), AxisChoice);
    form->addRow(tr("Title:"), AxisTitle);
    form->addRow(QString(), AxisAutomatic);
    form->addRow(tr("Minimum:"), AxisMinimum);
    form->addRow(tr("Maximum:"), AxisMaximum);
    form->addRow(tr("Desired increment:"), AxisIncrement);
    form->addRow(tr("Values format:"), AxisFormat);
    form->addRow(QString(), AxisVisible);
    form->addRow(QString(), AxisGrid);
    connect(AxisAutomatic, &QCheckBox::toggled, this, [this](bool automatic) {
        AxisMinimum->setEnabled(!automatic);
        AxisMaximum->setEnabled(!automatic);
    });
    connect(AxisChoice, &QComboBox::currentIndexChanged, this, [this](int index) {
        KeepAxis(shownAxis_);
        ShowAxis(index);
    });

    Page(Tabs, tr("Series"), form);
    SeriesColor = new TColorButton;
    PenWidth = new QSpinBox;
    PenWidth->setRange(1, 100);
    PenStyle = new QComboBox;
    PenStyle->addItems(
        {tr("Solid"), tr("Dash"), tr("Dot"), tr("Dash Dot"), tr("Dash Dot Dot"), tr("None")});
    PointerVisible = new QCheckBox(tr("Points visible"));
    PointerStyle = new QComboBox;
    PointerStyle->addItems({tr("Rectangle"), tr("Circle"), tr("Triangle"), tr("Down triangle"),
                            tr("Cross"), tr("Diagonal cross"), tr("Star"), tr("Diamond"),
                            tr("Small dot")});
    SeriesStairs = new QCheckBox(tr("Stairs"));
    MarksVisible = new QCheckBox(tr("Marks visible"));
    MarksStyle = new QComboBox;
    MarksStyle->addItems({tr("Value"), tr("Percent"), tr("Label"), tr("X value")});
    MarksBackColor = new TColorButton;
    form->addRow(tr("Colour:"), SeriesColor);
    form->addRow(tr("Line width:"), PenWidth);
    form->addRow(tr("Line style:"), PenStyle);
    form->addRow(QString(), PointerVisible);
    form->addRow(tr("Point style:"), PointerStyle);
    form->addRow(QString(), SeriesStairs);
    form->addRow(QString(), MarksVisible);
    form->addRow(tr("Marks style:"), MarksStyle);
    form->addRow(tr("Marks background:"), MarksBackColor);

    Page(Tabs, tr("Background"), form);
    PanelColor = new TColorButton;
    GradientVisible = new QCheckBox(tr("Gradient"));
    GradientStart = new TColorButton;
    GradientEnd = new TColorButton;
    form->addRow(tr("Panel colour:"), PanelColor);
    form->addRow(QString(), GradientVisible);
    form->addRow(tr("Gradient top:"), GradientStart);
    form->addRow(tr("Gradient bottom:"), GradientEnd);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TChartEditor::SetTabVisible(TChartEditorTab tab, bool visible) {
    Tabs->setTabVisible(int(tab), visible);
}

TChartAxis *TChartEditor::AxisAt(int index) const {
    TChartAxis *axes[] = {&Chart->LeftAxis, &Chart->RightAxis, &Chart->TopAxis, &Chart->BottomAxis};
    return axes[std::clamp(index, 0, 3)];
}

TLineSeries *TChartEditor::EditedSeries() const {
    if (Series)
        return Series;
    for (int i = 0; i < Chart->SeriesCount(); ++i) {
        if (auto *line = dynamic_cast<TLineSeries *>(Chart->Series(i)))
            return line;
    }
    return nullptr;
}

void TChartEditor::KeepAxis(int index) {
    if (index < 0 || index > 3)
        return;
    AxisSettings &a = axes_[size_t(index)];
    a.title = AxisTitle->text();
    a.automatic = AxisAutomatic->isChecked();
    a.minimum = AxisMinimum->value();
    a.maximum = AxisMaximum->value();
    a.increment = AxisIncrement->value();
    a.format = AxisFormat->text();
    a.visible = AxisVisible->isChecked();
    a.grid = AxisGrid->isChecked();
}

void TChartEditor::ShowAxis(int index) {
    shownAxis_ = index;
    if (index < 0 || index > 3)
        return;
    const AxisSettings &a = axes_[size_t(index)];
    AxisTitle->setText(a.title);
    AxisAutomatic->setChecked(a.automatic);
    AxisMinimum->setValue(a.minimum);
    AxisMaximum->setValue(a.maximum);
    AxisIncrement->setValue(a.increment);
    AxisFormat->setText(a.format);
    AxisVisible->setChecked(a.visible);
    AxisGrid->setChecked(a.grid);
    AxisMinimum->setEnabled(!a.automatic);
    AxisMaximum->setEnabled(!a.automatic);
}

void TChartEditor::LoadFromChart() {
    if (!Chart)
        return;
    TitleText->setPlainText(Chart->Title.Text.join(QLatin1Char('\n')));
    TitleColor->SetColor(Chart->Title.Color);
    FootText->setPlainText(Chart->Foot.Text.join(QLatin1Char('\n')));
    Chart->ChartRect(); // brings automatic ranges up to date
    for (int i = 0; i < 4; ++i) {
        const TChartAxis *axis = AxisAt(i);
        axes_[size_t(i)] = {axis->Title.Caption, axis->Automatic,       axis->Visible,
                            axis->Grid,          axis->Minimum,         axis->Maximum,
                            axis->Increment,     axis->AxisValuesFormat};
    }
    shownAxis_ = -1;
    AxisChoice->blockSignals(true);
    AxisChoice->setCurrentIndex(0);
    AxisChoice->blockSignals(false);
    ShowAxis(0);
    const TLineSeries *s = EditedSeries();
    Tabs->setTabEnabled(int(cetSeries), s != nullptr);
    if (s) {
        SeriesColor->SetColor(s->SeriesColor);
        PenWidth->setValue(s->LinePen.Width);
        PenStyle->setCurrentIndex(std::min(int(s->LinePen.Style), 5));
        PointerVisible->setChecked(s->Pointer.Visible);
        PointerStyle->setCurrentIndex(int(s->Pointer.Style));
        SeriesStairs->setChecked(s->Stairs);
        MarksVisible->setChecked(s->Marks.Visible);
        MarksStyle->setCurrentIndex(int(s->Marks.Style));
        MarksBackColor->SetColor(s->Marks.BackColor);
    }
    PanelColor->SetColor(Chart->Color);
    GradientVisible->setChecked(Chart->Gradient.Visible);
    GradientStart->SetColor(Chart->Gradient.StartColor);
    GradientEnd->SetColor(Chart->Gradient.EndColor);
}

void TChartEditor::ApplyToChart() {
    if (!Chart)
        return;
    auto lines = [](const QPlainTextEdit *edit) {
        const QString text = edit->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    };
    Chart->Title.Text = lines(TitleText);
    Chart->Title.Color = TitleColor->Color();
    Chart->Foot.Text = lines(FootText);
    KeepAxis(shownAxis_);
    for (int i = 0; i < 4; ++i) {
        TChartAxis *axis = AxisAt(i);
        const AxisSettings &a = axes_[size_t(i)];
        axis->Title.SetCaption(a.title);
        axis->Automatic = a.automatic;
        if (!a.automatic) {
            axis->Minimum = std::min(a.minimum, a.maximum);
            axis->Maximum = std::max(a.minimum, a.maximum);
        }
        axis->Increment = a.increment;
        axis->AxisValuesFormat = a.format;
        axis->Visible = a.visible;
        axis->Grid = a.grid;
    }
    if (TLineSeries *s = EditedSeries()) {
        s->SeriesColor = SeriesColor->Color();
        s->LinePen.Width = PenWidth->value();
        s->LinePen.Style = TPenStyle(PenStyle->currentIndex());
        s->Pointer.Visible = PointerVisible->isChecked();
        s->Pointer.Style = TSeriesPointerStyle(PointerStyle->currentIndex());
        s->Stairs = SeriesStairs->isChecked();
        s->Marks.Visible = MarksVisible->isChecked();
        s->Marks.Style = TSeriesMarksStyle(MarksStyle->currentIndex());
        s->Marks.BackColor = MarksBackColor->Color();
    }
    Chart->Color = PanelColor->Color();
    Chart->Gradient.Visible = GradientVisible->isChecked();
    Chart->Gradient.StartColor = GradientStart->Color();
    Chart->Gradient.EndColor = GradientEnd->Color();
    Chart->Invalidate();
}

bool TChartEditor::Execute() {
    if (!Chart)
        return false;
    LoadFromChart();
    if (Tabs->isTabVisible(int(DefaultTab)))
        Tabs->setCurrentIndex(int(DefaultTab));
    if (exec() != QDialog::Accepted)
        return false;
    ApplyToChart();
    return true;
}

bool TChartPreviewer::Execute(QWidget *parent) {
    if (!Chart)
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(Title);
    QPrintPreviewDialog dialog(&printer, parent);
    if (!Title.isEmpty())
        dialog.setWindowTitle(Title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this, &dialog](QPrinter *p) {
                         // The preview paints on a picture; a print on a
                         // queue is handed to it by us, so that a queue
                         // that did not take it is said.
                         if (p->paintEngine()->type() != QPaintEngine::Pdf || !PrintsToQueue(*p)) {
                             PaintTo(p);
                             return;
                         }
                         QString error;
                         if (!PrintOnQueue(*p, &dialog, &error) && !error.isEmpty())
                             MessageDlg(error, mtError, mbOK);
                     });
    return dialog.exec() == QDialog::Accepted;
}

bool TChartPreviewer::PrintOnQueue(const QPrinter &printer, QWidget *parent, QString *error) const {
    QTemporaryDir dir;
    TQueueJob job = QueueJobFor(printer, dir.filePath(QStringLiteral("chart.pdf")));
    job.Pages = printer.printRange() == QPrinter::PageRange ? printer.pageRanges() : QPageRanges();
    {
        const std::unique_ptr<QPdfWriter> writer =
            PdfWriterFor(printer, job.File, printer.resolution());
        QPainter painter;
        if (!dir.isValid() || !painter.begin(writer.get())) {
            if (error)
                *error = CannotPrint(job.Queue, QString());
            return false;
        }
        Paint(painter, writer->pageLayout(), writer->resolution());
    }
    return HandToQueue(job, parent, error);
}

void TChartPreviewer::PaintTo(QPrinter *printer) const {
    QPainter painter(printer);
    Paint(painter, printer->pageLayout(), printer->resolution());
}

void TChartPreviewer::Paint(QPainter &painter, const QPageLayout &layout, int resolution) const {
    if (!Chart)
        return;
    const QRect page(QPoint(0, 0), layout.paintRectPixels(resolution).size());
    const QSize screen = Chart->PictureSize();
    QSize size = screen.scaled(page.size(), Qt::KeepAspectRatio);
    const QRect target(page.left() + (page.width() - size.width()) / 2, page.top(), size.width(),
                       size.height());
    // Pens and fonts keep their proportions to the chart.
    Chart->Draw(painter, target, double(size.width()) / screen.width());
}
