#pragma once
// The application object. Besides what QApplication does it is the program's
// last net for errors: an error that a command or event handler raises and
// that nothing caught on its way is shown in a message box (through the
// message sink), and the program goes on. Handlers are run guarded where the
// window connects them (handlerguard.h); this catches what gets past that.
#include <QApplication>

class OrvApplication : public QApplication {
public:
    OrvApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
