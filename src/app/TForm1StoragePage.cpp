#include <QHeaderView>

#include "app/AnchoredPage.h"
#include "app/ControlStyle.h"
#include "session/StringTable.h"
#include "app/TForm1.h"
#include "data/RateTable.h"

namespace {

constexpr int GridColumns = 6;
constexpr int GridRows = 23;
constexpr int GridCellWidth = 100;
constexpr int GridCellHeight = 23;

QComboBox* DropDownList(const QStringList& items, const QString& hint) {
    auto* box = new QComboBox;
    box->addItems(items);
    box->setCurrentIndex(0);
    box->setToolTip(hint);
    return box;
}

QStringList RateItems() {
    QStringList items;
    for (int index = 1; index < RateCount; ++index) items << QString::fromLatin1(RateLabels[index]);
    return items;
}

}  // namespace

// Every control of this page keeps its designed place: the page does not
// stretch with the window.
void TForm1::BuildStoragePage() {
    TabSheet2->Place(new QLabel(QStringLiteral("Samp. Rate")), {8, 12, 84, 18});
    RateComboBox = DropDownList(RateItems(), QStringLiteral("Select measurement interval"));
    TabSheet2->Place(RateComboBox, {8, 30, 84, 22});
    TabSheet2->Place(new QLabel(QStringLiteral("Disp. Data")), {104, 12, 84, 18});
    AdvDataComboBox = DropDownList(StorageDisplayItems, QStringLiteral("Select a display trend item"));
    TabSheet2->Place(AdvDataComboBox, {104, 30, 84, 22});
    AuxinCheckBox2 = new QCheckBox(QStringLiteral("Ext. Input"));
    AuxinCheckBox2->setToolTip(QStringLiteral("Enable external event input"));
    connect(AuxinCheckBox2, &QCheckBox::toggled, this, [this] { AuxinCheckBoxClick(1); });
    TabSheet2->Place(AuxinCheckBox2, {206, 31, 92, 20});
    TabSheet2->Place(new QLabel(QStringLiteral("COM")), {300, 33, 32, 16});
    AuxPortEdit2 = new QLineEdit(QStringLiteral("1"));
    AuxPortEdit2->setToolTip(QStringLiteral("External event input port"));
    TabSheet2->Place(AuxPortEdit2, {332, 30, 44, 22});
    SetPortEditEnabled(AuxPortEdit2, false);
    StartButton = new QPushButton(QStringLiteral("Start"));
    StartButton->setToolTip(QStringLiteral("Start event log"));
    TabSheet2->Place(StartButton, {400, 8, 105, 49});
    OffButton = new QPushButton(QStringLiteral("Remote OFF"));
    TabSheet2->Place(OffButton, {513, 8, 105, 49});
    OffButton->hide();

    DrawGrid1 = new QTableWidget(GridRows, GridColumns);
    DrawGrid1->horizontalHeader()->hide();
    DrawGrid1->verticalHeader()->hide();
    DrawGrid1->horizontalHeader()->setDefaultSectionSize(GridCellWidth);
    DrawGrid1->verticalHeader()->setDefaultSectionSize(GridCellHeight);
    DrawGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DrawGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DrawGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DrawGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DrawGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DrawGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DrawGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TabSheet2->Place(DrawGrid1, {8, 66, 608, 507});

    auto* logLabel = new QLabel(QStringLiteral("Event Log"));
    QFont bold = logLabel->font();
    bold.setBold(true);
    logLabel->setFont(bold);
    TabSheet2->Place(logLabel, {640, 66, 200, 18});
    LogMemo = new QPlainTextEdit;
    LogMemo->setReadOnly(true);
    LogMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TabSheet2->Place(LogMemo, {640, 86, 331, 421});

    MergeCheckBox = new QCheckBox(QStringLiteral("Merge events"));
    MergeCheckBox->setToolTip(QStringLiteral("if checked,events will be merged into the uploading data."));
    TabSheet2->Place(MergeCheckBox, {640, 534, 150, 20});
    UploadButton = new QPushButton(QStringLiteral("Upload"));
    UploadButton->setToolTip(QStringLiteral("Upload data from the selected device"));
    TabSheet2->Place(UploadButton, {840, 520, 131, 49});
    // Above the event log, in the Upload button's column: the rest of the
    // page keeps its designed places.
    UploadAllButton = new QPushButton(QStringLiteral("Upload all"));
    UploadAllButton->setToolTip(QStringLiteral("Upload and save the data of every waiting device"));
    TabSheet2->Place(UploadAllButton, {840, 8, 131, 49});

    MsgPanel2 = CaptionPanel(QString(), palette().color(QPalette::Window));
    TabSheet2->Place(MsgPanel2, {130, 250, 360, 60});
    MsgPanel2->hide();
}

void TForm1::StartButtonClick() { Session.StartButtonClicked(); }
void TForm1::OffButtonClick() { Session.OffButtonClicked(); }
