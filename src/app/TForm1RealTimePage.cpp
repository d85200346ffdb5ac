#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/AnchoredPage.h"
#include "app/ArrangementGlyphs.h"
#include "app/ControlStyle.h"
#include "session/StringTable.h"
#include "app/TForm1.h"

namespace {

QComboBox* DropDownList(const QStringList& items, int selected, const QString& hint, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItems(items);
    box->setCurrentIndex(selected);
    box->setToolTip(hint);
    return box;
}

// A check box with its caption beside it as a coloured label.
QCheckBox* DistanceCheckBox(const QString& caption, const QColor& colour, int left, QGroupBox* group) {
    auto* box = new QCheckBox(group);
    box->setChecked(true);
    box->setGeometry(left, 30, 20, 20);
    QLabel* label = ColouredLabel(caption, colour, group);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setGeometry(left + 20, 30, 60, 20);
    label->setBuddy(box);
    return box;
}

}  // namespace

void TForm1::BuildRealTimePage() {
    using A = AnchoredPage;

    ConnectButton = new QPushButton(QStringLiteral("Start"));
    ConnectButton->setToolTip(QStringLiteral("Connect to the device"));
    TabSheet1->Place(ConnectButton, {8, 12, 97, 49});

    // GroupBox2 lies under GroupBox1; hiding GroupBox1 shows it.
    GroupBox2 = new QGroupBox;
    TabSheet1->Place(GroupBox2, {113, 2, 620, 62});
    CheckBox9 = DistanceCheckBox(QStringLiteral("7mm"), Qt::blue, 16, GroupBox2);
    CheckBox10 = DistanceCheckBox(QStringLiteral("30mm"), FuchsiaColour, 106, GroupBox2);
    CheckBox11 = DistanceCheckBox(QStringLiteral("35mm"), AquaColour, 196, GroupBox2);

    GroupBox1 = new QGroupBox;
    TabSheet1->Place(GroupBox1, {113, 2, 620, 62});
    (new QLabel(QStringLiteral("Scaling"), GroupBox1))->setGeometry(10, 12, 70, 18);
    AmpComboBox = DropDownList(AmplifierItems, 1, QStringLiteral("Select vertical axis scaling for Hb"), GroupBox1);
    AmpComboBox->setGeometry(10, 30, 70, 22);
    (new QLabel(QStringLiteral("Moving avg."), GroupBox1))->setGeometry(88, 12, 96, 18);
    AveComboBox = DropDownList(AveragingItems, 0, QStringLiteral("Select averaging points"), GroupBox1);
    AveComboBox->setGeometry(88, 30, 96, 22);
    (new QLabel(QStringLiteral("Disp. Data"), GroupBox1))->setGeometry(192, 12, 76, 18);
    DataComboBox = DropDownList(DisplayItems, 2, QStringLiteral("Select a display item"), GroupBox1);
    DataComboBox->setGeometry(192, 30, 76, 22);
    ResetButton = new QPushButton(QStringLiteral("Value-Initialization"), GroupBox1);
    ResetButton->setGeometry(278, 22, 154, 32);
    ResetButton->setEnabled(false);
    ResetButton->setToolTip(QStringLiteral("Reset Hb value"));
    AuxinCheckBox = new QCheckBox(QStringLiteral("Ext. Input"), GroupBox1);
    AuxinCheckBox->setGeometry(442, 31, 92, 20);
    AuxinCheckBox->setToolTip(QStringLiteral("Enable external event input"));
    connect(AuxinCheckBox, &QCheckBox::toggled, this, [this] { AuxinCheckBoxClick(0); });
    (new QLabel(QStringLiteral("COM"), GroupBox1))->setGeometry(536, 33, 32, 16);
    AuxPortEdit = new QLineEdit(QStringLiteral("1"), GroupBox1);
    AuxPortEdit->setGeometry(568, 30, 44, 22);
    AuxPortEdit->setToolTip(QStringLiteral("External event input port"));
    SetPortEditEnabled(AuxPortEdit, false);

    GroupBox4 = new QGroupBox(QStringLiteral("Arrangement"));
    TabSheet1->Place(GroupBox4, {741, 2, 104, 62});
    SpeedButton1 = new QToolButton(GroupBox4);
    SpeedButton1->setIcon(VerticalArrangementGlyph());
    SpeedButton1->setToolTip(QStringLiteral("Display trend vertically"));
    SpeedButton1->setGeometry(16, 24, 30, 30);
    SpeedButton2 = new QToolButton(GroupBox4);
    SpeedButton2->setIcon(HorizontalArrangementGlyph());
    SpeedButton2->setToolTip(QStringLiteral("Display trend horizontally"));
    SpeedButton2->setGeometry(58, 24, 30, 30);

    // The trend view: a white sunken panel that grows with the window.
    Panel1 = new QFrame;
    Panel1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    Panel1->setAutoFillBackground(true);
    SetColour(Panel1, QPalette::Window, Qt::white);
    TabSheet1->Place(Panel1, {8, 70, 860, 532}, A::Left | A::Top | A::Right | A::Bottom);
    auto* trendLayout = new QVBoxLayout(Panel1);
    trendLayout->setContentsMargins(2, 2, 2, 2);
    trendLayout->setSpacing(0);
    PaintBox1 = new PaintBox(Panel1);
    trendLayout->addWidget(PaintBox1, 1);
    ScrollBar1 = new QScrollBar(Qt::Horizontal, Panel1);
    ScrollBar1->hide();
    trendLayout->addWidget(ScrollBar1);
    UploadPanel = new QFrame(Panel1);
    UploadPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    UploadPanel->setAutoFillBackground(true);
    UploadPanel->setGeometry(230, 200, 400, 100);
    UploadPanel->hide();
    MsgPanel = CaptionPanel(QString(), YellowColour, Panel1);
    MsgPanel->setGeometry(8, 8, 560, 32);
    MsgPanel->hide();

    // The read-outs keep their distance from the right and bottom edges.
    GroupBox3 = new QGroupBox(QStringLiteral("CH? 00:00:00"));
    TabSheet1->Place(GroupBox3, {876, 380, 132, 148}, A::Right | A::Bottom);
    LabelOXHb = ColouredLabel(QStringLiteral("OXHb"), Qt::red, GroupBox3);
    LabelDXHb = ColouredLabel(QStringLiteral("DXHb"), Qt::blue, GroupBox3);
    LabelTOHb = ColouredLabel(QStringLiteral("TOHb"), GreenColour, GroupBox3);
    LabelSTO2 = ColouredLabel(QStringLiteral("STO2"), PurpleColour, GroupBox3);
    LabelStatus = ColouredLabel(QString(), Qt::red, GroupBox3);
    int top = 22;
    for (QLabel* label : {LabelOXHb, LabelDXHb, LabelTOHb, LabelSTO2}) {
        label->setGeometry(6, top, 124, 20);
        top += 23;
    }
    // The error list stands in for the four values, one error a line.
    LabelStatus->setGeometry(6, 22, 124, 120);
    LabelStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelStatus->setWordWrap(true);
    LabelStatus->hide();
    GroupBox3->hide();

    BattPanel = CaptionPanel(QStringLiteral("-.-[V]"), palette().color(QPalette::Window));
    TabSheet1->Place(BattPanel, {876, 536, 132, 28}, A::Right | A::Bottom);
    TimeLabel = new QLabel(QStringLiteral("00:00:00"));
    TimeLabel->setAlignment(Qt::AlignCenter);
    TabSheet1->Place(TimeLabel, {876, 572, 132, 24}, A::Right | A::Bottom);

    BuildSensorChoice();
    ConnectTrendView();
}
