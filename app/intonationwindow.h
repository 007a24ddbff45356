#pragma once
// The intonation report: a piano roll of your part, each note a bar at its
// pitch, with a line at the pitch you played on average and the bar coloured
// by how far off that was (green in tune, through yellow, to red at a
// semitone or more; grey for a note left silent), and a table of start time,
// note name, mean and largest cents off and coverage.
#include <QDialog>

#include <vector>

#include "perform/intonation.h"

class QTableWidget;
class IntonationRoll;

class IntonationWindow : public QDialog {
public:
    explicit IntonationWindow(QWidget* parent);

    void showRows(const std::vector<IntonationRow>& rows);

    IntonationRoll* Roll = nullptr;
    QTableWidget* Table = nullptr;
};

// The colour of a note played so many cents off on average (coverage 0: silent).
QColor intonationColour(double cents, double coverage);
