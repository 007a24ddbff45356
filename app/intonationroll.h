#pragma once
// The intonation report's picture: your part as a piano roll (note names up
// the pitch axis, bar numbers along the time axis) and over it the pitch you
// played as one continuous curve, each stretch coloured by its distance from
// the note due then: within 10, 25, 50 cents, or further, as the legend says.
#include <QColor>
#include <QWidget>

#include <cstdint>
#include <vector>

#include "perform/intonation.h"

class IntonationRoll : public QWidget {
public:
    explicit IntonationRoll(QWidget* parent);

    void show(const PassScore& score, const std::vector<std::int64_t>& barStartsUs);

    // The colour of a band of intonationBand (4: no note due, or silent).
    static QColor bandColour(int band);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<IntonationRow> rows_;
    std::vector<PitchStretch> played_;
    std::vector<std::int64_t> bars_;
};
