#pragma once
// The program's folders (platform/programfolders.h) as the windows use them:
// texts that end with a separator, so a file name can simply be appended.
#include <QString>
#include <QStringList>

#include "platform/programfolders.h"

// Where there.cfg and device.prf live; what AppFolder holds.
QString settingsFolderPath(const platform::ProgramFolders& folders);
// Where the background pictures are looked for, the program folder first.
QStringList pictureFolderPaths(const platform::ProgramFolders& folders);
