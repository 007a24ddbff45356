#pragma once
// Controls that follow the edges of their parent when it is resized, the way
// the window was designed: a control anchored to two opposite edges keeps its
// distance to both and grows, one anchored to a single edge of a pair keeps
// its distance to that edge and its size. Distances are those of the designed
// geometry within the parent's designed size.
#include <QRect>
#include <QSize>

class QWidget;

// Places control at its designed geometry and remembers how it follows its parent.
void anchor(QWidget* control, const QRect& designed, Qt::Edges anchors, const QSize& designedParent);

// Moves the anchored children of parent for its present size, and theirs in turn.
void followAnchors(QWidget* parent);

// Where a control designed at `designed` within `designedParent` lies within a parent of size `parent`.
QRect anchoredGeometry(const QRect& designed, Qt::Edges anchors, const QSize& designedParent, const QSize& parent);
