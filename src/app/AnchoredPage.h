#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

// A page whose children sit at designed positions and follow the page's
// edges they are anchored to: anchored left and right, a child grows with
// the page; anchored right only, it keeps its distance from the right edge.
// A page with every child anchored top-left does not stretch at all.
class AnchoredPage : public QWidget {
    Q_OBJECT

public:
    enum Anchor { Left = 1, Top = 2, Right = 4, Bottom = 8 };
    Q_DECLARE_FLAGS(Anchors, Anchor)

    AnchoredPage(QSize designedSize, QWidget* parent = nullptr);

    // Places the child (made a child of this page) at its designed rectangle.
    void Place(QWidget* child, const QRect& designed, Anchors anchors = Anchors(Left | Top));

    QSize sizeHint() const override { return designedSize_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Placed {
        QPointer<QWidget> child;
        QRect designed;
        Anchors anchors;
    };
    QRect Follow(const Placed& placed) const;

    QSize designedSize_;
    QList<Placed> placed_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(AnchoredPage::Anchors)
