#include "app/intonationwindow.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kRowHeight = 6;

QString cents(double value)
{
    return QString::number(value, 'f', 1);
}

}  // namespace

class IntonationRoll : public QWidget {
public:
    explicit IntonationRoll(QWidget* parent) : QWidget(parent) { setMinimumHeight(160); }
    std::vector<IntonationRow> rows;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (rows.empty())
            return;
        int low = 127, high = 0;
        std::int64_t end = 1;
        for (const IntonationRow& r : rows) {
            low = std::min(low, r.note);
            high = std::max(high, r.note);
            end = std::max(end, r.endUs);
        }
        low -= 1;
        high += 1;
        const double perNote = double(height()) / double(high - low + 1);
        const auto xOf = [&](std::int64_t us) { return int(double(us) * width() / double(end)); };
        const auto yOf = [&](double note) { return int((high - note + 0.5) * perNote); };
        for (const IntonationRow& r : rows) {
            const QRect bar(xOf(r.startUs), yOf(r.note) - kRowHeight / 2, std::max(xOf(r.endUs) - xOf(r.startUs), 1),
                            kRowHeight);
            painter.fillRect(bar, intonationColour(r.centsMean, r.coverage));
            if (r.coverage > 0) {
                painter.setPen(Qt::black);
                const int y = yOf(r.note + r.centsMean / 100.0);
                painter.drawLine(bar.left(), y, bar.right(), y);
            }
        }
    }
};

QColor intonationColour(double cents, double coverage)
{
    if (coverage <= 0)
        return QColor(160, 160, 160);
    const double off = std::min(std::fabs(cents) / 100.0, 1.0);
    // Green to yellow over the first half semitone, yellow to red over the second.
    if (off < 0.5)
        return QColor(int(510 * off), 200, 0);
    return QColor(255, int(200 * (1.0 - off) * 2), 0);
}

IntonationWindow::IntonationWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("IntonationWindow"));
    setWindowTitle(QStringLiteral("Intonation report"));
    Roll = new IntonationRoll(this);
    Table = new QTableWidget(0, 6, this);
    Table->setHorizontalHeaderLabels({QStringLiteral("Start (s)"), QStringLiteral("Note"), QStringLiteral("Name"),
                                      QStringLiteral("Mean (cents)"), QStringLiteral("Largest (cents)"),
                                      QStringLiteral("Coverage")});
    Table->verticalHeader()->hide();
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Roll, 1);
    layout->addWidget(Table, 1);
    resize(640, 480);
}

void IntonationWindow::showRows(const std::vector<IntonationRow>& rows)
{
    Roll->rows = rows;
    Table->setRowCount(int(rows.size()));
    for (int i = 0; i < int(rows.size()); ++i) {
        const IntonationRow& r = rows[std::size_t(i)];
        const bool sounded = r.coverage > 0;
        const QString texts[] = {
            QString::number(double(r.startUs) / 1e6, 'f', 3), QString::number(r.note),
            QString::fromStdString(compactNoteName(r.note)),  sounded ? cents(r.centsMean) : QString(),
            sounded ? cents(r.centsMax) : QString(),          QString::number(r.coverage, 'f', 2)};
        for (int column = 0; column < 6; ++column)
            Table->setItem(i, column, new QTableWidgetItem(texts[column]));
        Table->item(i, 3)->setBackground(intonationColour(r.centsMean, r.coverage));
    }
    Roll->update();
    show();
    raise();
}
