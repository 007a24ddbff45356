#pragma once
// The background pictures of the playing surface: which files of the picture
// folders can be chosen, and loading one of them into a bitmap. The surface's
// context menu and the settings restore use these.
#include <QList>
#include <QString>
#include <QStringList>

class QImage;

// Loads a ".jpg"/".jpeg" (decoded with libjpeg) or ".bmp" file; the extension,
// taken from the last "." of the file name without regard to case, decides.
// Throws std::runtime_error with "Illegal file extension <.ext>" for any other
// extension, and with the decoder's message when the file cannot be read;
// bitmap is then left as it was.
void LoadPicture(QImage& bitmap, const QString& path);

// The names (without folder) of the plain files in folder that match
// "*.jpg", then "*.jpeg", then "*.bmp" without regard to case; within each
// pattern in the order the file system lists them, not sorted. Hidden files
// and names beginning with "." are left out.
QStringList pictureFileNames(const QString& folder);

// One picture that can be chosen: the name the menu shows and the file itself.
struct PictureFile {
    QString name;
    QString path;
};

// The pictures of each folder (each ending with a separator) in turn, each
// folder's as pictureFileNames lists them. A name found in two folders is
// listed twice, once for each file.
QList<PictureFile> pictureFiles(const QStringList& folders);
