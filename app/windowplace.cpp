#include "app/windowplace.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <string>

#include "platform/inifile.h"

namespace {

const std::string kSection = "Window";
const std::string kMaximized = "maximized";

// The screen with the largest part of the rectangle; the primary one when none shows any of it.
const QScreen* screenFor(const QRect& rect)
{
    const QScreen* best = QGuiApplication::primaryScreen();
    qint64 bestArea = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect shared = screen->availableGeometry().intersected(rect);
        const qint64 area = qint64(shared.width()) * shared.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best;
}

bool isNormal(const QWidget& window)
{
    return !(window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
}

// Remembers the window's normal geometry once it has stayed put for a moment.
// A window manager that maximises the window may report the new size before
// the new state, and the toolkit may then take the maximised geometry for the
// normal one; a geometry that lasted is the one the user left the window at.
class NormalPlaceTracker : public QObject {
    Q_OBJECT

public:
    explicit NormalPlaceTracker(QWidget& window) : QObject(&window), window_(window)
    {
        setObjectName(QStringLiteral("NormalPlaceTracker"));
        settled_.setSingleShot(true);
        settled_.setInterval(250);
        connect(&settled_, &QTimer::timeout, this, [this] {
            if (isNormal(window_))
                normal_ = window_.geometry();
        });
        window.installEventFilter(this);
    }

    QRect normalPlace() const { return normal_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &window_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
            settled_.start();
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& window_;
    QTimer settled_;
    QRect normal_;
};

}  // namespace

void trackNormalPlace(QWidget& window)
{
    new NormalPlaceTracker(window);
}

QRect normalWindowPlace(const QWidget& window)
{
    if (isNormal(window))
        return window.geometry();
    // The toolkit knows it when the program maximised the window; it has it
    // wrong when it took the maximised geometry for the normal one.
    const QRect known = window.normalGeometry();
    if (known.isValid() && known != window.geometry())
        return known;
    const auto* tracker =
        window.findChild<const NormalPlaceTracker*>(QStringLiteral("NormalPlaceTracker"), Qt::FindDirectChildrenOnly);
    const QRect tracked = tracker != nullptr ? tracker->normalPlace() : QRect();
    return tracked.isValid() ? tracked : window.geometry();
}

QRect placeWithin(const QRect& wanted, const QRect& available)
{
    if (!available.isValid())
        return wanted;
    QRect place(wanted.topLeft(), wanted.size().boundedTo(available.size()));
    place.moveLeft(std::clamp(place.left(), available.left(), available.right() + 1 - place.width()));
    place.moveTop(std::clamp(place.top(), available.top(), available.bottom() + 1 - place.height()));
    return place;
}

// The frame the window manager drew around the window last time, as the
// window closed; none before the first close. The place kept on the screen is
// the frame's, so that the title bar stays within reach.
QMargins savedFrame(platform::IniFile& ini)
{
    const auto side = [&ini](const char* key) { return ini.intValue(kSection, key, 0, 200).value_or(0); };
    return QMargins(side("frameLeft"), side("frameTop"), side("frameRight"), side("frameBottom"));
}

void placeWindow(QWidget& window, const QRect& wanted, platform::IniFile& settings)
{
    QRect place = wanted;
    if (const QScreen* screen = screenFor(wanted))
        place = placeWithin(wanted, screen->availableGeometry().marginsRemoved(savedFrame(settings)));
    place.setSize(place.size().expandedTo(window.minimumSize()));
    // The client's place, not the frame's: what normalWindowPlace gives back.
    window.setGeometry(place);
}

void restoreMaximized(QWidget& window, platform::IniFile& settings)
{
    const std::optional<int> maximized = settings.intValue(kSection, kMaximized, 0, 1);
    if (maximized.value_or(0) == 1)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void saveMaximized(const QWidget& window, platform::IniFile& ini)
{
    ini.setValue(kSection, kMaximized, window.isMaximized() ? "1" : "0");
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    if (!window.isMaximized() && frame != client && frame.contains(client)) {
        ini.setValue(kSection, "frameLeft", std::to_string(client.left() - frame.left()));
        ini.setValue(kSection, "frameTop", std::to_string(client.top() - frame.top()));
        ini.setValue(kSection, "frameRight", std::to_string(frame.right() - client.right()));
        ini.setValue(kSection, "frameBottom", std::to_string(frame.bottom() - client.bottom()));
    }
}

// The tracker above is a QObject of this file alone.
#include "windowplace.moc"
