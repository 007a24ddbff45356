#pragma once
// The intonation report: a chooser of the take's passes, the summary of every
// pass side by side (the best and the last marked), the earlier scores of the
// same file and part as a trend, the picture of the chosen pass (see
// intonationroll.h) and its table of notes: where each starts (bar:beat),
// its name, the mean and the largest deviation (a magnitude, sharp or flat),
// how much of it sounded and how much in tune. Close, and Export of the table
// (CSV) and of the picture (PNG).
#include <QDialog>

#include <functional>
#include <vector>

#include "perform/practicelog.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class IntonationRoll;

namespace platform {
class IniFile;
}

class IntonationWindow : public QDialog {
    Q_OBJECT

public:
    // Its export dialogs start where the user last read or saved (settings).
    IntonationWindow(QWidget* parent, platform::IniFile& settings);

    // Shows the report with the last pass chosen, scrolled to its start.
    void showReport(const PracticeReport& report);
    void choosePass(int index);
    // Writes the chosen pass's table, or the picture; false (and a message) when that fails.
    bool exportCsv(const QString& path) const;
    bool exportPng(const QString& path) const;

    // Asks where to export ("CSV files (*.csv)" or "PNG pictures (*.png)"); empty when cancelled.
    std::function<QString(const QString& filter)> AskExportPath;

    QComboBox* Pass = nullptr;
    QTableWidget* Summary = nullptr;
    QLabel* Trend = nullptr;
    IntonationRoll* Roll = nullptr;
    QTableWidget* Table = nullptr;
    QPushButton* ExportCsv = nullptr;
    QPushButton* ExportPng = nullptr;
    QPushButton* Close = nullptr;

private:
    PracticeReport report_;
    int chosen_ = 0;

    void fillSummary();
    void fillTrend();
    void fillTable();
};

// "12 c sharp", "3 c flat", "0 c": a deviation as a magnitude and its direction.
QString deviationText(double cents);
