#pragma once
// The program's own pointer shapes, kept as 32 x 32 black-and-white pictures
// with transparent parts in its resources: "CURSOR1" (a pointing hand),
// "CURSOR2" (a baton) and "NEKONOTE" (a cat's paw). Start-up and the
// surface's context menu install them over the playing surface.
#include <QCursor>
#include <QString>

// The named cursor, monochrome with a mask, with its hot spot; throws
// std::runtime_error for a name that is not one of the three.
QCursor loadCursorResource(const QString& resourceName);
