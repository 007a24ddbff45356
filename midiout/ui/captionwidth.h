#pragma once
// How wide a button must be for its caption at its own font and style: the
// caption's width and the margins the style keeps around it.
class QAbstractButton;

int captionWidth(const QAbstractButton& button);
