#include "perform/ui/guidenotes.h"

#include <QPainter>
#include <QTimer>

#include <algorithm>

#include "perform/session.h"
#include "platform/clock.h"

namespace {

// Magenta is none of the grid's colours (white, black, red, blue, green, yellow).
const QColor kGuideColour(255, 0, 255);
constexpr int kFrameMillis = 40;
constexpr int kBarThickness = 6;

}  // namespace

GuideNotes::GuideNotes(QWidget& layer, const Session& session)
    : QWidget(&layer), layer_(layer), session_(session), timer_(new QTimer(this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setObjectName(QStringLiteral("GuideNotes"));
    timer_->setInterval(kFrameMillis);
    connect(timer_, &QTimer::timeout, this, [this] { tick(); });
    hide();
}

void GuideNotes::start(const midiTrack& part, const PracticeClock& clock, std::int64_t songStartMicros)
{
    notes_ = noteSpansOf(part);
    std::erase_if(notes_, [](const NoteSpan& n) { return n.end <= n.start; });
    clock_ = clock;
    songStartMicros_ = songStartMicros;
    setGeometry(layer_.rect());
    raise();
    show();
    timer_->start();
    tick();
}

void GuideNotes::stop()
{
    timer_->stop();
    shown_ = {};
    hide();
}

GuideNotes::Shown GuideNotes::shownAt(std::int64_t micros) const
{
    Shown shown;
    const std::int64_t tick = clock_.songTickAt(micros);
    const std::int64_t from = tick < 0 ? clock_.layout().regionStart : tick;
    for (const NoteSpan& n : notes_) {
        if (tick >= 0 && n.start <= tick && tick < n.end) {
            shown.current = n.key;
            shown.passed = double(tick - n.start) / double(n.end - n.start);
        } else if (n.start > from || (tick < 0 && n.start == from)) {
            shown.next = n.key;
            break;
        }
    }
    return shown;
}

void GuideNotes::tick()
{
    if (!session_.isPlaying()) {
        stop();
        return;
    }
    if (size() != layer_.size())
        setGeometry(layer_.rect());
    const Shown now = shownAt(platform::nowMicros() - songStartMicros_);
    if (now.current == shown_.current && now.next == shown_.next && int(now.passed * 100) == int(shown_.passed * 100))
        return;
    shown_ = now;
    update();
}

QRect GuideNotes::barOf(int note) const
{
    const int range = session_.axis().rangeSemitones;
    if (range < 1 || note < 0)
        return {};
    const int i = note - (session_.axis().centreNote - range);
    if (i < 0 || i >= 2 * range)
        return {};
    if (session_.horizontal()) {
        const int x = width() * i / (2 * range);
        return {x - kBarThickness / 2, 0, kBarThickness, height()};
    }
    const int y = height() * (2 * range - i) / (2 * range);
    return {0, y - kBarThickness / 2, width(), kBarThickness};
}

void GuideNotes::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect next = barOf(shown_.next);
    if (!next.isEmpty()) {
        QColor faint = kGuideColour;
        faint.setAlpha(80);
        painter.fillRect(next, faint);
    }
    const QRect current = barOf(shown_.current);
    if (current.isEmpty())
        return;
    QColor body = kGuideColour;
    body.setAlpha(140);
    painter.fillRect(current, body);
    // The part that has passed, solid, along the bar.
    QRect passed = current;
    if (session_.horizontal())
        passed.setHeight(int(current.height() * shown_.passed));
    else
        passed.setWidth(int(current.width() * shown_.passed));
    painter.fillRect(passed, kGuideColour);
}
