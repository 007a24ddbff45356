// The hidden Debug button: lists the recorded entries in the debug window.
#include <QListWidget>
#include <QString>

#include <string>

#include "app/tform1.h"
#include "diag/tdebugwindow.h"
#include "mididata/textformat.h"
#include "perform/session.h"
#include "perform/vidize.h"

void TForm1::Button1Click()
{
    if (!DebugWindow)
        return;
    DebugWindow->ListBox1->clear();
    DebugWindow->show();
    for (const RecordEntry& entry : session_.performer().Entries) {
        const std::string line =
            FormatText("Time %4.4d:Type %2.2d: Val:%5.5d ", {std::int32_t(entry.delta), entry.kind, entry.value});
        DebugWindow->ListBox1->addItem(QString::fromStdString(line));
    }
}
