#include "app/midiinput.h"

#include <QSocketNotifier>

#include <cstdint>

#include <sys/eventfd.h>
#include <unistd.h>

#include "app/handlerguard.h"
#include "app/tform1.h"
#include "app/windowlistener.h"
#include "mididata/messagesink.h"
#include "perform/session.h"

MidiInput::MidiInput(TForm1& form, platform::MidiIn::Options options) : form_(form)
{
    wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake_ >= 0) {
        notifier_ = new QSocketNotifier(wake_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &MidiInput::take);
        const int fd = wake_;
        // A counter that only grows: the write never blocks the input's thread.
        options.wake = [fd] {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t written = write(fd, &one, sizeof one);
        };
    } else {
        options.wake = {};
        options.useAlsa = options.useJack = false;
    }
    input_ = std::make_unique<platform::MidiIn>(std::move(options));
    input_->open();
}

MidiInput::~MidiInput()
{
    // The input's threads stop before the eventfd they write goes.
    input_.reset();
    if (wake_ >= 0)
        ::close(wake_);
}

void MidiInput::take()
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(wake_, &count, sizeof count);
    // A message box about a failed message must not take the next batch inside its own loop.
    notifier_->setEnabled(false);
    WindowListener& listener = form_.sessionListener();
    listener.holdState();
    input_->drain([this](const std::uint8_t* bytes, std::size_t size) {
        runGuarded([&] { form_.session().midiIn(bytes, size); });
    });
    listener.showHeldState();
    if (const std::string notice = input_->takeNotice(); !notice.empty())
        reportMessage(notice);
    notifier_->setEnabled(true);
}
