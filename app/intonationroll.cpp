#include "app/intonationroll.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kAxisWidth = 44;   // room for the note names
constexpr int kAxisHeight = 18;  // room for the bar numbers
constexpr int kLegendHeight = 18;

const char* const kBandNames[] = {"within ±10 cents", "within ±25", "within ±50", "further"};

// A line through many points, of which those that fall in one pixel column
// are kept as at most four: where the line enters the column, its highest
// and lowest point there, and where it leaves. A take with a bend every few
// milliseconds then draws as fast as the window is wide, and looks the same.
class ColumnThinnedLine {
public:
    void add(QPointF point)
    {
        const int column = int(std::floor(point.x()));
        if (!open_ || column != column_) {
            closeColumn();
            open_ = true;
            column_ = column;
            first_ = last_ = point;
            low_ = high_ = point.y();
            return;
        }
        low_ = std::min(low_, point.y());
        high_ = std::max(high_, point.y());
        last_ = point;
    }

    // The points so far; the line starts anew.
    QPolygonF take()
    {
        closeColumn();
        // A short stretch alone is drawn a pixel wide, so that it shows.
        if (!points_.isEmpty() && points_.back().x() - points_.front().x() < 1)
            points_ << points_.back() + QPointF(1, 0);
        QPolygonF done;
        done.swap(points_);
        return done;
    }

private:
    void closeColumn()
    {
        if (!open_)
            return;
        open_ = false;
        points_ << first_;
        const double middle = column_ + 0.5;
        if (low_ < std::min(first_.y(), last_.y()))
            points_ << QPointF(middle, low_);
        if (high_ > std::max(first_.y(), last_.y()))
            points_ << QPointF(middle, high_);
        if (last_ != first_)
            points_ << last_;
    }

    QPolygonF points_;
    bool open_ = false;
    int column_ = 0;
    QPointF first_, last_;
    double low_ = 0, high_ = 0;
};

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

    // The played pitch, each stretch in the band of the note due while it
    // sounded: one polyline per run of a band, thinned to the pixel columns.
    QPen pen;
    pen.setWidthF(2.0);
    ColumnThinnedLine line;
    int lineBand = -1;
    const auto drawLine = [&] {
        if (const QPolygonF points = line.take(); !points.isEmpty()) {
            pen.setColor(bandColour(lineBand));
            painter.setPen(pen);
            painter.drawPolyline(points);
        }
    };
    auto due = rows_.begin();
    double lastX = -1, lastY = 0;
    std::int64_t lastEnd = -1;
    for (const PitchStretch& s : played_) {
        while (due != rows_.end() && due->endUs <= s.start)
            ++due;
        const bool covered = due != rows_.end() && due->startUs <= s.start;
        const int band = covered ? intonationBand((s.pitch - due->note) * 100.0) : 4;
        const bool joined = lastEnd == s.start && lastX >= 0;
        if (band != lineBand || !joined) {
            drawLine();
            lineBand = band;
            // The step from the stretch before is drawn in this stretch's band.
            if (joined)
                line.add(QPointF(lastX, lastY));
        }
        const double x0 = xOf(s.start), x1 = xOf(s.end), y = yOf(s.pitch);
        line.add(QPointF(x0, y));
        line.add(QPointF(x1, y));
        lastX = x1;
        lastY = y;
        lastEnd = s.end;
    }
    drawLine();

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
