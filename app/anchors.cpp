#include "app/anchors.h"

#include <QVariant>
#include <QWidget>

namespace {

// Kept on the control itself, so that no table has to follow the controls' lives.
constexpr char kDesigned[] = "orvDesignedGeometry";
constexpr char kAnchors[] = "orvAnchors";
constexpr char kDesignedParent[] = "orvDesignedParentSize";

// One axis: the start and length of the control for a parent of the new length.
void follow(int& start, int& length, int designedParent, int parent, bool toStart, bool toEnd)
{
    const int endDistance = designedParent - (start + length);
    if (toStart && toEnd)
        length = parent - start - endDistance;
    else if (toEnd)
        start = parent - endDistance - length;
}

}  // namespace

QRect anchoredGeometry(const QRect& designed, Qt::Edges anchors, const QSize& designedParent, const QSize& parent)
{
    int x = designed.x(), y = designed.y(), width = designed.width(), height = designed.height();
    follow(x, width, designedParent.width(), parent.width(), anchors.testFlag(Qt::LeftEdge),
           anchors.testFlag(Qt::RightEdge));
    follow(y, height, designedParent.height(), parent.height(), anchors.testFlag(Qt::TopEdge),
           anchors.testFlag(Qt::BottomEdge));
    return {x, y, qMax(0, width), qMax(0, height)};
}

void anchor(QWidget* control, const QRect& designed, Qt::Edges anchors, const QSize& designedParent)
{
    control->setProperty(kDesigned, designed);
    control->setProperty(kAnchors, int(anchors.toInt()));
    control->setProperty(kDesignedParent, designedParent);
    control->setGeometry(designed);
}

void followAnchors(QWidget* parent)
{
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QVariant designed = child->property(kDesigned);
        if (!designed.isValid())
            continue;
        child->setGeometry(anchoredGeometry(designed.toRect(), Qt::Edges(child->property(kAnchors).toInt()),
                                            child->property(kDesignedParent).toSize(), parent->size()));
        followAnchors(child);
    }
}
