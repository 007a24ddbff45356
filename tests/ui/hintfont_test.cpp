// Both halves of every two-language hint are readable: an installed font has
// a glyph for each Japanese character, so none shows as a box.
#include <QFont>
#include <QFontDatabase>
#include <QRawFont>
#include <QSet>

#include "mainwindow_fixture.h"

TEST_F(MainWindowTest, EveryJapaneseCharacterOfTheHintsHasAFont)
{
    QSet<char32_t> wanted;
    for (const QWidget* control : form->findChildren<QWidget*>())
        for (char32_t c : control->toolTip().toUcs4())
            if (c >= 0x3000)
                wanted.insert(c);
    ASSERT_FALSE(wanted.isEmpty());

    std::vector<QRawFont> fonts;
    for (const QString& family : QFontDatabase::families(QFontDatabase::Japanese))
        fonts.push_back(QRawFont::fromFont(QFont(family), QFontDatabase::Japanese));
    ASSERT_FALSE(fonts.empty()) << "no Japanese font is installed";
    for (char32_t c : wanted) {
        const bool shown =
            std::any_of(fonts.begin(), fonts.end(), [c](const QRawFont& font) { return font.supportsCharacter(c); });
        EXPECT_TRUE(shown) << "U+" << std::hex << std::uint32_t(c);
    }
}
