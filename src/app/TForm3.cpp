#include "app/TForm3.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

#include "app/DesignFont.h"
#include "session/StringTable.h"

namespace {

// The logo: the product name beside a sketch of the sensor's two channels.
QPixmap Logo() {
    QPixmap picture(127, 36);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 84, 166));
    painter.drawRoundedRect(QRectF(1, 4, 34, 28), 6, 6);
    painter.setBrush(QColor(220, 40, 40));
    painter.drawEllipse(QPointF(11, 18), 5, 5);
    painter.setBrush(QColor(255, 255, 255));
    painter.drawEllipse(QPointF(25, 18), 5, 5);
    QFont font = DesignFont(22, true);
    painter.setFont(font);
    painter.setPen(QColor(0, 84, 166));
    painter.drawText(QRectF(40, 0, 87, 36), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Tq580"));
    return picture;
}

}  // namespace

TForm3::TForm3(QWidget* parent)
    : QDialog(parent),
      Label1(new QLabel(QStringLiteral("Tq580 Measurement Program."), this)),
      VersionLabel(new QLabel(QStringLiteral("Ver "), this)),
      Panel1(new QFrame(this)),
      Image1(new QLabel(Panel1)),
      OkButton(new QPushButton(QStringLiteral("OK"), this)) {
    setWindowTitle(QStringLiteral("About Tq580_win"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(DesignFont(11));
    setFixedSize(283, 196);

    // A stand-in for Tahoma may run wider: it gets smaller until the title fits.
    const QRect titleRect(4, 14, 275, 24);
    QFont titleFont = DesignFont(16, true);
    while (titleFont.pixelSize() > 10 &&
           QFontMetrics(titleFont).horizontalAdvance(Label1->text()) > titleRect.width())
        titleFont.setPixelSize(titleFont.pixelSize() - 1);
    Label1->setFont(titleFont);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(titleRect);
    VersionLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    VersionLabel->setGeometry(8, 44, 250, 18);

    Panel1->setGeometry(70, 74, 143, 52);
    Panel1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);
    Image1->setPixmap(Logo());
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setGeometry(Panel1->contentsRect());

    OkButton->setGeometry(101, 150, 80, 27);
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TForm3::FormCreate() { VersionLabel->setText(VersionLabel->text() + ProgramVersion); }
