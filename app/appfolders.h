#pragma once
// The program's folders (platform/userfolders.h) as the windows use them:
// texts that end with a separator, so a file name can simply be appended.
#include <QString>
#include <QStringList>

// Where there.cfg and device.prf live; what AppFolder holds.
QString settingsFolderPath();
// Where the background pictures are looked for, the program folder first.
QStringList pictureFolderPaths();
