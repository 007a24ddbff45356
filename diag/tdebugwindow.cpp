#include "diag/tdebugwindow.h"

#include <QFont>
#include <QListWidget>
#include <QSize>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

TDebugWindow* DebugWindow = nullptr;

namespace {

// Every line of the listing is 12 pixels high, whatever the style would give it.
class FixedHeightLines : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
    }

    static constexpr int kItemHeight = 12;
};

}  // namespace

TDebugWindow::TDebugWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    DebugWindow = this;
    setObjectName(QStringLiteral("DebugWindow"));
    setWindowTitle(QStringLiteral("DebugWindow"));
    resize(556, 423);
    move(192, 107);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    // A Japanese-capable face at 12 pixels, so the listing can show Japanese text.
    QFont listFont;
    listFont.setFamilies({QStringLiteral("MS PGothic"), QStringLiteral("Noto Sans CJK JP"),
                          QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"), QStringLiteral("Sans Serif")});
    listFont.setPixelSize(12);
    setFont(listFont);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    // At its designed place, (4, 4), but filling the window: the designed
    // 417 x 385 left an empty strip below it and beside it.
    auto* fill = new QVBoxLayout(this);
    fill->setContentsMargins(4, 4, 4, 4);
    fill->addWidget(ListBox1);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setItemDelegate(new FixedHeightLines(ListBox1));
}

TDebugWindow::~TDebugWindow()
{
    if (DebugWindow == this)
        DebugWindow = nullptr;
}
