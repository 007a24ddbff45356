// The surface's context menu: the background picture, the pointer shape over
// the surface and the colour of the grid lines.
#include <QAction>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

#include "app/appfolders.h"
#include "app/cursors.h"
#include "app/handlerguard.h"
#include "app/picturefile.h"
#include "app/tform1.h"
#include "app/widgets.h"

namespace {

// Qt takes "&" in a caption as the accelerator mark; doubled, it shows as
// itself, so a file name keeps every character and gets no accelerator.
QString captionOfFileName(QString name)
{
    return name.replace(QLatin1Char('&'), QLatin1String("&&"));
}

QString fileNameOfCaption(QString caption)
{
    return caption.replace(QLatin1String("&&"), QLatin1String("&"));
}

void checkOnly(QMenu* menu, QAction* chosen)
{
    for (QAction* entry : menu->actions())
        if (entry->isCheckable())
            entry->setChecked(entry == chosen);
}

std::uint32_t colourValue(int red, int green, int blue)
{
    return std::uint32_t(red) | std::uint32_t(green) << 8 | std::uint32_t(blue) << 16;
}

void chooseCursor(TForm1& form, QAction* entry, const QString& resourceName)
{
    form.InstallCursor1(resourceName);
    checkOnly(form.Cursor1, entry);
    form.CursorName = entry->text();
}

void chooseGridColour(TForm1& form, QAction* entry, int red, int green, int blue)
{
    form.GridColor = colourValue(red, green, blue);
    form.DrawGrid();
    form.GridColorName = entry->text();
    checkOnly(form.GridColor2, entry);
}

}  // namespace

void TForm1::PopupMenu1Popup()
{
    LoadImage2->clear();
    for (const PictureFile& picture : pictureFiles(pictureFolderPaths(folders_))) {
        QAction* entry = LoadImage2->addAction(captionOfFileName(picture.name));
        // The caption alone no longer tells the folder: an installed copy lists
        // its own pictures and the user's.
        entry->setData(picture.path);
        connect(entry, &QAction::triggered, this, [this, entry] { runGuarded([&] { dummy1Click(entry); }); });
    }
    // A submenu left empty never opens again; this entry keeps it open and says where to put pictures.
    if (LoadImage2->isEmpty()) {
        QStringList folders = pictureFolderPaths(folders_);
        for (QString& folder : folders)
            folder = captionOfFileName(QDir::toNativeSeparators(folder));
        LoadImage2
            ->addAction(QStringLiteral("No .jpg, .jpeg or .bmp pictures in %1").arg(folders.join(QStringLiteral(", "))))
            ->setEnabled(false);
    }
}

void TForm1::dummy1Click(QAction* entry)
{
    // Named before loading, so a picture that fails to load is still the one
    // remembered and tried again at the next start. The designed placeholder
    // carries no file and names one in AppFolder.
    const QString file = entry->data().toString();
    ImageFile = file.isEmpty() ? AppFolder + fileNameOfCaption(entry->text()) : file;
    LoadSurfacePicture(ImageFile);
}

void TForm1::LoadSurfacePicture(const QString& file)
{
    LoadPicture(Image1->Picture, file);
    Image1->update();
    ColorEdges();
}

void TForm1::ColorEdges()
{
    const QImage& picture = Image1->Picture;
    if (picture.isNull())
        return;
    const int right = picture.width() - 1;
    const int bottom = picture.height() - 1;
    Shape1->setBrush(picture.pixelColor(0, 0));
    Shape2->setBrush(picture.pixelColor(0, bottom));
    Shape3->setBrush(picture.pixelColor(right, 0));
    Shape4->setBrush(picture.pixelColor(0, 0));
}

void TForm1::InstallCursor1(const QString& resourceName)
{
    const QCursor cursor = loadCursorResource(resourceName);
    const std::array<QWidget*, 5> playingControls{Image4, Shape1, Shape2, Shape3, Shape4};
    for (QWidget* control : playingControls)
        control->setCursor(cursor);
}

void TForm1::N11Click()
{
    chooseCursor(*this, N11, QStringLiteral("CURSOR1"));
}
void TForm1::N21Click()
{
    chooseCursor(*this, N21, QStringLiteral("CURSOR2"));
}
void TForm1::N31Click()
{
    chooseCursor(*this, N31, QStringLiteral("NEKONOTE"));
}

void TForm1::White1Click()
{
    chooseGridColour(*this, White2, 255, 255, 255);
}
void TForm1::Red1Click()
{
    chooseGridColour(*this, Red2, 255, 0, 0);
}
void TForm1::Yellow1Click()
{
    chooseGridColour(*this, Yellow2, 255, 255, 0);
}
void TForm1::Black1Click()
{
    chooseGridColour(*this, Black2, 0, 0, 0);
}
void TForm1::Green1Click()
{
    chooseGridColour(*this, Green2, 0, 128, 0);
}
void TForm1::Blue1Click()
{
    chooseGridColour(*this, Blue2, 0, 0, 255);
}
