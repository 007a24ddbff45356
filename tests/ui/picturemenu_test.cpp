#include <QAction>
#include <QApplication>
#include <QBitmap>
#include <QColor>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QStringList>

#include <gtest/gtest.h>

#include "app/widgets.h"
#include "mainwindow_fixture.h"
#include "testpictures.h"

namespace {

class PictureMenu : public MainWindowTest {
protected:
    // Right-clicks the surface, which opens its context menu.
    void openSurfaceMenu()
    {
        const QPoint at(5, 5);
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, form->Panel1->mapToGlobal(at));
        QApplication::sendEvent(form->Panel1, &click);
        ASSERT_TRUE(form->PopupMenu2->isVisible());
    }

    QStringList pictureEntries() const
    {
        QStringList captions;
        for (const QAction* entry : form->LoadImage2->actions())
            captions << entry->text();
        return captions;
    }

    // Opens the menu and chooses the picture entry with that caption, as the user does.
    void choosePicture(const QString& caption)
    {
        openSurfaceMenu();
        QAction* chosen = nullptr;
        for (QAction* entry : form->LoadImage2->actions())
            if (entry->text() == caption)
                chosen = entry;
        ASSERT_NE(chosen, nullptr) << caption.toStdString();
        chosen->trigger();
        form->PopupMenu2->close();
    }

    void writeBitmap(const QString& name, const QImage& image) { ASSERT_TRUE(image.save(folderPath() + name, "BMP")); }

    static QImage cornersPicture()
    {
        QImage image(10, 8, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setPixel(0, 0, qRgb(0, 0, 0));
        image.setPixel(0, 7, qRgb(200, 0, 0));
        image.setPixel(9, 0, qRgb(0, 0, 200));
        return image;
    }

    std::vector<QColor> stripColours() const
    {
        return {form->Shape1->Brush, form->Shape2->Brush, form->Shape3->Brush, form->Shape4->Brush};
    }
};

void expectDark(const QColor& colour)
{
    EXPECT_LT(colour.red() + colour.green() + colour.blue(), 30) << colour.name().toStdString();
}

}  // namespace

TEST_F(PictureMenu, ListsThePicturesOfTheProgramFolderAfreshEachTimeItOpens)
{
    openSurfaceMenu();
    // The designed placeholder is gone; what stands there says that nothing was found.
    ASSERT_EQ(form->LoadImage2->actions().size(), 1);
    EXPECT_FALSE(form->LoadImage2->actions().first()->isEnabled());
    EXPECT_NE(pictureEntries().first(), QStringLiteral("dummy"));
    form->PopupMenu2->close();

    writeBitmap(QStringLiteral("c.bmp"), cornersPicture());
    writeTestFile(folderPath() + QStringLiteral("a.jpg"),
                  asQBytes(cornerBlockJpeg(16, 16, {0, 0, 0}, {255, 255, 255})));
    writeTestFile(folderPath() + QStringLiteral(".hidden.jpg"), QByteArray("x"));
    writeTestFile(folderPath() + QStringLiteral("Tom & Jerry.bmp"), QByteArray("x"));
    openSurfaceMenu();
    form->PopupMenu2->close();
    openSurfaceMenu();
    const QStringList captions = pictureEntries();
    ASSERT_EQ(captions.size(), 3) << captions.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(captions[0], QStringLiteral("a.jpg"));
    // A doubled "&" shows as itself instead of marking an accelerator.
    EXPECT_EQ(QSet<QString>(captions.begin() + 1, captions.end()),
              (QSet<QString>{QStringLiteral("c.bmp"), QStringLiteral("Tom && Jerry.bmp")}));
    form->PopupMenu2->close();
}

TEST_F(PictureMenu, ChoosingAPictureLoadsItAndColoursTheStripsFromItsCorners)
{
    writeBitmap(QStringLiteral("corners & edges.bmp"), cornersPicture());
    writeTestFile(folderPath() + QStringLiteral("b.JPG"), asQBytes(cornerBlockJpeg(48, 32, {0, 0, 0}, {255, 255, 0})));

    choosePicture(QStringLiteral("corners && edges.bmp"));
    EXPECT_EQ(form->ImageFile, folderPath() + QStringLiteral("corners & edges.bmp"));
    EXPECT_EQ(form->Image1->Picture.size(), QSize(10, 8));
    EXPECT_EQ(stripColours(),
              (std::vector<QColor>{QColor(0, 0, 0), QColor(200, 0, 0), QColor(0, 0, 200), QColor(0, 0, 0)}));

    choosePicture(QStringLiteral("b.JPG"));
    EXPECT_EQ(form->ImageFile, folderPath() + QStringLiteral("b.JPG"));
    EXPECT_EQ(form->Image1->Picture.size(), QSize(48, 32));
    expectDark(form->Shape1->Brush);
    expectDark(form->Shape4->Brush);
    EXPECT_GT(form->Shape2->Brush.red(), 240);
    EXPECT_LT(form->Shape2->Brush.blue(), 20);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
}

TEST_F(PictureMenu, APictureThatCannotBeReadIsReportedAndTheOldPictureStays)
{
    const Bytes jpeg = cornerBlockJpeg(64, 64, {0, 0, 0}, {40, 90, 200});
    writeTestFile(folderPath() + QStringLiteral("cut.jpeg"), asQBytes(Bytes(jpeg.begin(), jpeg.end() - 60)));
    writeTestFile(folderPath() + QStringLiteral("broken.bmp"), QByteArray("BM not really a bitmap"));
    writeBitmap(QStringLiteral("good.bmp"), cornersPicture());
    choosePicture(QStringLiteral("good.bmp"));
    const QImage before = form->Image1->Picture;
    const std::vector<QColor> stripsBefore = stripColours();

    choosePicture(QStringLiteral("cut.jpeg"));
    choosePicture(QStringLiteral("broken.bmp"));

    EXPECT_EQ(messages,
              (QStringList{QStringLiteral("Premature end of JPEG file"), QStringLiteral("Premature end of BMP file")}));
    EXPECT_EQ(form->Image1->Picture, before);
    EXPECT_EQ(stripColours(), stripsBefore);
    // The failed file is still the chosen one, and is tried again at the next start.
    EXPECT_EQ(form->ImageFile, folderPath() + QStringLiteral("broken.bmp"));
}

TEST_F(PictureMenu, ChoosingACursorChecksOnlyItsEntryAndInstallsItOverTheSurface)
{
    const auto expectCursor = [this](QPoint hotSpot) {
        for (const QWidget* control : std::initializer_list<const QWidget*>{form->Image4, form->Shape1, form->Shape2,
                                                                            form->Shape3, form->Shape4}) {
            const QCursor cursor = control->cursor();
            EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
            EXPECT_EQ(cursor.hotSpot(), hotSpot);
            EXPECT_EQ(cursor.bitmap().size(), QSize(32, 32));
            // The hot spot lies on a drawn pixel, the top-left corner is transparent.
            const QImage mask = cursor.mask().toImage();
            EXPECT_NE(mask.pixel(hotSpot), mask.pixel(0, 0));
        }
        EXPECT_EQ(form->Image1->cursor().shape(), Qt::PointingHandCursor);
    };

    form->N31->trigger();
    expectCursor(QPoint(7, 19));
    EXPECT_EQ(form->CursorName, QStringLiteral("3"));
    form->N21->trigger();
    expectCursor(QPoint(20, 3));
    form->N11->trigger();
    expectCursor(QPoint(29, 21));
    EXPECT_TRUE(form->N11->isChecked());
    EXPECT_FALSE(form->N21->isChecked());
    EXPECT_FALSE(form->N31->isChecked());
    EXPECT_EQ(form->CursorName, QStringLiteral("1"));
}

TEST_F(PictureMenu, ChoosingAGridColourRedrawsTheGridInItAndIsRemembered)
{
    form->Blue2->trigger();
    EXPECT_EQ(form->GridColor, 0xFF0000u);
    EXPECT_EQ(form->GridColorName, QStringLiteral("Blue"));
    for (const QAction* entry : form->GridColor2->actions())
        EXPECT_EQ(entry->isChecked(), entry == form->Blue2) << entry->text().toStdString();

    // The solid loudness guide down the middle of the layer.
    const QImage& grid = form->Image4->Picture;
    ASSERT_FALSE(grid.isNull());
    EXPECT_EQ(grid.pixelColor(grid.width() / 4 * 2, grid.height() / 3), QColor(0, 0, 255));

    form->Green1Click();
    EXPECT_EQ(form->GridColor, 0x008000u);
    EXPECT_EQ(grid.pixelColor(grid.width() / 4 * 2, grid.height() / 3), QColor(0, 128, 0));

    form->Blue2->trigger();
    stopProgram();
    QFile settings(settingsPath());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = settings.readAll().split('\n');
    ASSERT_GE(lines.size(), 20);
    EXPECT_EQ(lines[19].trimmed(), QByteArray("Blue"));
}
