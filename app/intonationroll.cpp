#include "app/intonationroll.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kAxisWidth = 44;   // room for the note names
constexpr int kAxisHeight = 18;  // room for the bar numbers
constexpr int kLegendHeight = 18;

const char* const kBandNames[] = {"within ±10 cents", "within ±25", "within ±50", "further"};

}  // namespace

IntonationRoll::IntonationRoll(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("IntonationRoll"));
    setMinimumHeight(220);
}

QColor IntonationRoll::bandColour(int band)
{
    switch (band) {
    case 0: return QColor(0, 160, 60);
    case 1: return QColor(150, 190, 0);
    case 2: return QColor(240, 150, 0);
    case 3: return QColor(220, 30, 30);
    default: return QColor(150, 150, 150);
    }
}

void IntonationRoll::show(const PassScore& score, const std::vector<std::int64_t>& barStartsUs)
{
    rows_ = score.rows;
    bars_ = barStartsUs;
    played_.clear();
    if (!rows_.empty()) {
        // Only what lies over the part's notes is drawn.
        const std::int64_t from = rows_.front().startUs, to = rows_.back().endUs;
        for (const PitchStretch& s : score.played)
            if (s.end > from && s.start < to)
                played_.push_back(s);
    }
    update();
}

void IntonationRoll::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (rows_.empty())
        return;
    std::int64_t from = rows_.front().startUs, to = from + 1;
    int low = 127, high = 0;
    for (const IntonationRow& r : rows_) {
        low = std::min(low, r.note);
        high = std::max(high, r.note);
        to = std::max(to, r.endUs);
    }
    low -= 1;
    high += 1;
    const QRect area(kAxisWidth, kLegendHeight, std::max(width() - kAxisWidth - 4, 1),
                     std::max(height() - kAxisHeight - kLegendHeight, 1));
    const double perNote = double(area.height()) / double(high - low + 1);
    const auto xOf = [&](std::int64_t us) {
        return area.left() + double(std::clamp(us, from, to) - from) * area.width() / double(to - from);
    };
    const auto yOf = [&](double note) { return area.top() + (high - note + 0.5) * perNote; };

    // Note names up the side, a line per semitone, and the bars along the bottom.
    painter.setPen(QColor(225, 225, 225));
    for (int note = low; note <= high; ++note)
        painter.drawLine(QPointF(area.left(), yOf(note)), QPointF(area.right(), yOf(note)));
    const int step = std::max(1, int(std::ceil(14.0 / perNote)));
    painter.setPen(Qt::black);
    for (int note = low; note <= high; note += step)
        painter.drawText(QRectF(0, yOf(note) - 8, kAxisWidth - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QString::fromStdString(compactNoteName(note)));
    for (std::size_t bar = 0; bar < bars_.size(); ++bar) {
        if (bars_[bar] < from || bars_[bar] > to)
            continue;
        const double x = xOf(bars_[bar]);
        painter.setPen(QColor(190, 190, 190));
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(x - 20, area.bottom() + 2, 40, kAxisHeight - 2), Qt::AlignCenter,
                         QString::number(bar + 1));
    }

    // The part's notes.
    for (const IntonationRow& r : rows_) {
        const QRectF bar(xOf(r.startUs), yOf(r.note) - perNote / 2, std::max(xOf(r.endUs) - xOf(r.startUs), 1.0),
                         perNote);
        painter.fillRect(bar, QColor(200, 215, 240));
        painter.setPen(QColor(120, 140, 190));
        painter.drawRect(bar);
    }

    // The played pitch, each stretch in the band of the note due while it sounded.
    QPen pen;
    pen.setWidthF(2.0);
    auto due = rows_.begin();
    double lastX = -1, lastY = 0;
    std::int64_t lastEnd = -1;
    for (const PitchStretch& s : played_) {
        while (due != rows_.end() && due->endUs <= s.start)
            ++due;
        const bool covered = due != rows_.end() && due->startUs <= s.start;
        pen.setColor(bandColour(covered ? intonationBand((s.pitch - due->note) * 100.0) : 4));
        painter.setPen(pen);
        const double x0 = xOf(s.start), x1 = xOf(s.end), y = yOf(s.pitch);
        if (lastEnd == s.start && lastX >= 0)
            painter.drawLine(QPointF(lastX, lastY), QPointF(x0, y));
        painter.drawLine(QPointF(x0, y), QPointF(std::max(x1, x0 + 1), y));
        lastX = x1;
        lastY = y;
        lastEnd = s.end;
    }

    // The legend along the top.
    int x = area.left();
    for (int band = 0; band < 4; ++band) {
        painter.fillRect(QRect(x, 5, 12, 8), bandColour(band));
        painter.setPen(Qt::black);
        const QString text = QString::fromUtf8(kBandNames[band]);
        painter.drawText(QPoint(x + 16, 13), text);
        x += 24 + painter.fontMetrics().horizontalAdvance(text);
    }
}
