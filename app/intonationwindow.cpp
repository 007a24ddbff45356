#include "app/intonationwindow.h"

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <fstream>

#include "app/filedialogs.h"
#include "app/intonationroll.h"
#include "mididata/messagesink.h"

namespace {

QString percent(double share)
{
    return QStringLiteral("%1 %").arg(share * 100.0, 0, 'f', 0);
}

QTableWidget* table(QWidget* parent, int columns)
{
    auto* t = new QTableWidget(0, columns, parent);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return t;
}

}  // namespace

QString deviationText(double cents)
{
    const QString size = QString::number(std::fabs(cents), 'f', 1);
    if (std::fabs(cents) < 0.05)
        return QStringLiteral("0.0 c");
    return size + (cents > 0 ? QStringLiteral(" c sharp") : QStringLiteral(" c flat"));
}

IntonationWindow::IntonationWindow(QWidget* parent, platform::IniFile& settings) : QDialog(parent)
{
    setObjectName(QStringLiteral("IntonationWindow"));
    setWindowTitle(QStringLiteral("Intonation report"));
    Pass = new QComboBox(this);
    Pass->setObjectName(QStringLiteral("Pass"));
    Summary = table(this, 0);
    Summary->setObjectName(QStringLiteral("Summary"));
    Summary->setRowCount(3);
    Summary->setVerticalHeaderLabels(
        {QStringLiteral("Notes within ±25 cents"), QStringLiteral("Mean |cents|"), QStringLiteral("Time in tune")});
    Summary->setMaximumHeight(120);
    Trend = new QLabel(this);
    Trend->setObjectName(QStringLiteral("Trend"));
    Trend->setWordWrap(true);
    Roll = new IntonationRoll(this);
    Table = table(this, 7);
    Table->setObjectName(QStringLiteral("Notes"));
    Table->setHorizontalHeaderLabels({QStringLiteral("Bar:beat"), QStringLiteral("Note"), QStringLiteral("Name"),
                                      QStringLiteral("Mean"), QStringLiteral("Largest"), QStringLiteral("Sounded"),
                                      QStringLiteral("In tune")});
    Table->verticalHeader()->hide();
    ExportCsv = new QPushButton(QStringLiteral("Export CSV..."), this);
    ExportPng = new QPushButton(QStringLiteral("Export PNG..."), this);
    Close = new QPushButton(QStringLiteral("Close"), this);
    AskExportPath = [this, &settings](const QString& filter) {
        const bool csv = filter.contains(QStringLiteral("csv"));
        return askForFile(
            this, settings,
            {csv ? QStringLiteral("Export the notes as CSV") : QStringLiteral("Export the picture as PNG"),
             {filter},
             {csv ? QStringLiteral("csv") : QStringLiteral("png")},
             QString(),
             true});
    };

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Pass:"), this));
    top->addWidget(Pass);
    top->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ExportCsv);
    buttons->addWidget(ExportPng);
    buttons->addStretch(1);
    buttons->addWidget(Close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Summary);
    layout->addWidget(Trend);
    layout->addWidget(Roll, 2);
    layout->addWidget(Table, 1);
    layout->addLayout(buttons);
    resize(760, 640);

    connect(Pass, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            choosePass(index);
    });
    connect(Close, &QPushButton::clicked, this, &QDialog::close);
    connect(ExportCsv, &QPushButton::clicked, this, [this] {
        if (const QString path = AskExportPath(QStringLiteral("CSV files (*.csv)")); !path.isEmpty())
            exportCsv(path);
    });
    connect(ExportPng, &QPushButton::clicked, this, [this] {
        if (const QString path = AskExportPath(QStringLiteral("PNG pictures (*.png)")); !path.isEmpty())
            exportPng(path);
    });
}

void IntonationWindow::showReport(const PracticeReport& report)
{
    report_ = report;
    fillSummary();
    fillTrend();
    {
        const QSignalBlocker quiet(Pass);
        Pass->clear();
        for (const PassScore& score : report_.passes)
            Pass->addItem(QStringLiteral("Pass %1").arg(score.pass));
    }
    const int last = int(report_.passes.size()) - 1;
    Pass->setCurrentIndex(last);
    choosePass(last);
    show();
    raise();
}

void IntonationWindow::choosePass(int index)
{
    if (index < 0 || index >= int(report_.passes.size()))
        return;
    chosen_ = index;
    Roll->show(report_.passes[std::size_t(index)], report_.barStartsUs);
    fillTable();
    Table->scrollToTop();
}

void IntonationWindow::fillSummary()
{
    const int passes = int(report_.passes.size());
    const std::size_t best = bestPass(report_.passes);
    Summary->setColumnCount(passes);
    for (int i = 0; i < passes; ++i) {
        const PassScore& score = report_.passes[std::size_t(i)];
        QString title = QStringLiteral("Pass %1").arg(score.pass);
        if (std::size_t(i) == best)
            title += QStringLiteral(" (best)");
        if (i == passes - 1 && passes > 1)
            title += QStringLiteral(" (last)");
        Summary->setHorizontalHeaderItem(i, new QTableWidgetItem(title));
        const PassSummary& s = score.summary;
        Summary->setItem(0, i, new QTableWidgetItem(QStringLiteral("%1 of %2").arg(s.within25).arg(s.notes)));
        Summary->setItem(1, i, new QTableWidgetItem(QString::number(s.meanAbsCents, 'f', 1)));
        Summary->setItem(2, i, new QTableWidgetItem(percent(s.inTuneShare)));
    }
}

void IntonationWindow::fillTrend()
{
    if (report_.earlier.empty()) {
        Trend->setText(QStringLiteral("No earlier scores of this part."));
        return;
    }
    // The last ten earlier passes, oldest first: how much of the part was in tune.
    QStringList shares;
    const std::size_t first = report_.earlier.size() > 10 ? report_.earlier.size() - 10 : 0;
    for (std::size_t i = first; i < report_.earlier.size(); ++i)
        shares << percent(report_.earlier[i].summary.inTuneShare);
    Trend->setText(QStringLiteral("Earlier (time in tune, oldest first, since %1): %2")
                       .arg(QString::fromStdString(report_.earlier[first].time), shares.join(QStringLiteral(" → "))));
}

void IntonationWindow::fillTable()
{
    const std::vector<IntonationRow>& rows = report_.passes[std::size_t(chosen_)].rows;
    Table->setRowCount(int(rows.size()));
    for (int i = 0; i < int(rows.size()); ++i) {
        const IntonationRow& r = rows[std::size_t(i)];
        const bool sounded = r.coverage > 0;
        const QString place =
            std::size_t(i) < report_.places.size() ? QString::fromStdString(report_.places[std::size_t(i)]) : QString();
        const QString texts[] = {place,
                                 QString::number(r.note),
                                 QString::fromStdString(compactNoteName(r.note)),
                                 sounded ? deviationText(r.centsMean) : QString(),
                                 sounded ? deviationText(r.centsMax) : QString(),
                                 percent(r.coverage),
                                 percent(r.inTune)};
        for (int column = 0; column < 7; ++column)
            Table->setItem(i, column, new QTableWidgetItem(texts[column]));
        Table->item(i, 3)->setBackground(IntonationRoll::bandColour(sounded ? intonationBand(r.centsMean) : 4));
    }
}

bool IntonationWindow::exportCsv(const QString& path) const
{
    if (report_.passes.empty())
        return false;
    std::ofstream out(QFile::encodeName(path).toStdString(), std::ios::binary | std::ios::trunc);
    writeIntonationCsv({report_.passes[std::size_t(chosen_)]}, out);
    out.flush();
    if (!out) {
        reportMessage("Could not write " + QFile::encodeName(path).toStdString() + ".");
        return false;
    }
    return true;
}

bool IntonationWindow::exportPng(const QString& path) const
{
    if (Roll->grab().save(path, "PNG"))
        return true;
    reportMessage("Could not write " + QFile::encodeName(path).toStdString() + ".");
    return false;
}
