#include <QApplication>
#include <QPainter>

#include "app/ControlStyle.h"
#include "app/TForm1.h"
#include "view/ResizeHook.h"
#include "view/TrendColours.h"
#include "view/TrendGeometry.h"
#include "view/TrendInteraction.h"
#include "view/TrendPainter.h"

namespace {

// Sets a background only when it changes: the paint sets the panels every
// time, and an unchanged palette should not cost another paint.
void SetBackground(QWidget* widget, const QColor& colour) {
    if (widget->palette().color(QPalette::Window) != colour) SetColour(widget, QPalette::Window, colour);
}

void SetText(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

}  // namespace

void TForm1::ConnectTrendView() {
    PaintBox1->OnPaint = [this](QPainter& painter) { PaintBox1Paint(painter); };
    PaintBox1->OnMouseDown = [this](Qt::MouseButton button, Qt::MouseButtons buttons,
                                    Qt::KeyboardModifiers modifiers, int x, int y) {
        PaintBox1MouseDown(button, buttons, modifiers, x, y);
    };
    PaintBox1->OnMouseMove = [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y) {
        PaintBox1MouseMove(buttons, modifiers, x, y);
    };
    PaintBox1->OnMouseUp = [this](Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                                  int x, int y) { PaintBox1MouseUp(button, buttons, modifiers, x, y); };
    PaintBox1->OnDblClick = [this] { PaintBox1DblClick(); };

    connect(AmpComboBox, &QComboBox::currentIndexChanged, this, &TForm1::AmpComboBoxChange);
    connect(AveComboBox, &QComboBox::currentIndexChanged, this, &TForm1::AveComboBoxChange);
    connect(DataComboBox, &QComboBox::currentIndexChanged, this, &TForm1::DataComboBoxChange);
    for (QCheckBox* box : {CheckBox9, CheckBox10, CheckBox11})
        connect(box, &QCheckBox::clicked, this, &TForm1::CheckBox1Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
    connect(ScrollBar1, &QScrollBar::valueChanged, this, &TForm1::ScrollBar1Change);
    connect(ResetButton, &QPushButton::clicked, this, &TForm1::ResetButtonClick);
    new ResizeHook(Panel1, [this] { Panel1Resize(); });
}

void TForm1::PaintBox1Paint(QPainter& painter) {
    const Sensor& shown = Session.Shown();
    TrendPaintInput input{.Store = shown.Store, .View = Session.View, .Size = PaintBox1->size(), .Font = PaintBox1->font()};
    input.Live = Session.Live();
    input.LinkLost = shown.Supervision.LinkLost;
    if (Session.SensorCount() > 1) input.SensorName = shown.Name();
    input.AmpItem = AmpComboBox->currentIndex();
    input.AveItem = AveComboBox->currentIndex();
    input.DataItem = DataComboBox->currentIndex();
    input.ShowLevel[0] = CheckBox9->isChecked();
    input.ShowLevel[1] = CheckBox10->isChecked();
    input.ShowLevel[2] = CheckBox11->isChecked();
    input.ScrollBarVisible = Session.View.ScrollVisible;
    input.ScrollBarPosition = Session.View.FirstShownSample;

    const TrendPaintOutcome outcome = PaintTrend(painter, input);
    ShowMarkCount();
    if (!outcome.Drawn) return;
    if (outcome.ScreenSamples) Session.View.ScreenSamples = *outcome.ScreenSamples;
    if (outcome.TimeLabel) SetText(TimeLabel, *outcome.TimeLabel);

    if (outcome.GroupBox3 == BoxChange::Hide) GroupBox3->hide();
    if (outcome.GroupBox3 == BoxChange::Show) {
        const CursorReadOut& readOut = outcome.ReadOut;
        if (GroupBox3->title() != readOut.Caption) GroupBox3->setTitle(readOut.Caption);
        if (readOut.ShowsError) {
            SetText(LabelStatus, readOut.Status);
        } else {
            SetText(LabelOXHb, readOut.OXHb);
            SetText(LabelDXHb, readOut.DXHb);
            SetText(LabelTOHb, readOut.TOHb);
            SetText(LabelSTO2, readOut.STO2);
        }
        for (QLabel* label : {LabelOXHb, LabelDXHb, LabelTOHb, LabelSTO2}) label->setVisible(!readOut.ShowsError);
        LabelStatus->setVisible(readOut.ShowsError);
        GroupBox3->show();
    }

    if (outcome.MessagePanel) {
        SetText(MsgPanel, outcome.MessagePanel->Text);
        if (outcome.MessagePanel->Colour) SetBackground(MsgPanel, *outcome.MessagePanel->Colour);
        MsgPanel->setVisible(!outcome.MessagePanel->Text.isEmpty());
    }
    if (outcome.BattPanel) {
        if (outcome.BattPanel->Visible) {
            SetText(BattPanel, outcome.BattPanel->Text);
            SetBackground(BattPanel, outcome.BattPanel->Colour);
        }
        BattPanel->setVisible(outcome.BattPanel->Visible);
    }
}

void TForm1::RepaintTrend() { PaintBox1->update(); }

// How many of the record's event marks are used, while it has samples that can carry them.
void TForm1::ShowMarkCount() {
    const SampleStore& store = Session.Shown().Store;
    const bool shown = store.SampleCount > 0 && !store.CheckSensorsMode;
    if (shown) MarkCount->setText(QStringLiteral("Marks[ %1/%2 ]").arg(EventMarkCount(store)).arg(MaxEventMarks));
    if (MarkCount->isVisibleTo(this) != shown) MarkCount->setVisible(shown);
}

void TForm1::SetPanel1Highlighted(bool highlighted) {
    SetBackground(Panel1, highlighted ? QApplication::palette().color(QPalette::ToolTipBase) : WindowColour);
}

void TForm1::SetScrollRangeForRecord() {
    ShowRecordEnd(Session.View, Session.Shown().Store.SampleCount);
    RenderTrendView();
}

// The scroll bar and the panel's highlight as the view state says, and a paint.
void TForm1::RenderTrendView() {
    {
        const QSignalBlocker mirroring(ScrollBar1);
        const TrendViewState& view = Session.View;
        ScrollBar1->setRange(0, view.ScrollMaximum);
        ScrollBar1->setValue(view.FirstShownSample);
        ScrollBar1->setSingleStep(view.ScrollSingleStep);
        ScrollBar1->setPageStep(view.ScrollPageStep);
        ScrollBar1->setVisible(view.ScrollVisible);
    }
    SetPanel1Highlighted(TrendHighlighted(Session.View));
    RepaintTrend();
}

void TForm1::UpdateExpectedScreenSamples() {
    Session.View.ExpectedScreenSamples = PaneWidthFor(PaintBox1->width(), Session.View.TrendArrangement);
}
