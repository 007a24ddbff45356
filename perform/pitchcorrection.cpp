#include "perform/pitchcorrection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "midispec/midivocabulary.h"
#include "perform/surfacemapping.h"

namespace {

constexpr std::int64_t kUnitsPerRange = midi::kBendCentre;  // bend units from the centre to either end

// Integer division rounding to the nearest, halves away from zero.
std::int64_t roundedDivision(std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t half = denominator / 2;
    return numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator);
}

// Floor and ceiling of a division by a positive number.
std::int64_t floorDivision(std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t q = numerator / denominator;
    return (numerator % denominator != 0 && numerator < 0) ? q - 1 : q;
}

}  // namespace

void PitchCorrection::setSettings(const CorrectionSettings& settings)
{
    setStrength(settings.strength);
    settings_.scale = settings.scale;
    settings_.glideMs = std::clamp(settings.glideMs, 0, kMaxGlideMs);
}

void PitchCorrection::setStrength(int percent)
{
    settings_.strength = std::clamp(percent, 0, kMaxStrength);
}

void PitchCorrection::setRoot(int pitchClass)
{
    root_ = ((pitchClass % 12) + 12) % 12;
}

void PitchCorrection::setAxis(int centreNote, int rangeSemitones)
{
    centre_ = centreNote;
    range_ = std::clamp(rangeSemitones, 1, static_cast<int>(surface::kMaxBendRange));
}

// Positions are compared in 1/8192 semitone (the bend offset times the range),
// where every note lies on a whole multiple of 8192: exact, so ties are ties.
PitchCorrection::Aim PitchCorrection::aimAt(std::int32_t bend) const
{
    const std::int64_t position = (std::int64_t(bend) - midi::kBendCentre) * range_;
    std::int64_t below = floorDivision(position, kUnitsPerRange);
    std::int64_t above = below + (position % kUnitsPerRange != 0 ? 1 : 0);
    // Every scale holds its root, so a note is found within 12 semitones.
    while (!ScaleHolds(settings_.scale, root_, centre_ + static_cast<int>(below)))
        --below;
    while (!ScaleHolds(settings_.scale, root_, centre_ + static_cast<int>(above)))
        ++above;
    // A tie goes to the upper note.
    const std::int64_t chosen = position - below * kUnitsPerRange < above * kUnitsPerRange - position ? below : above;
    const std::int64_t exact = midi::kBendCentre + roundedDivision(chosen * kUnitsPerRange, range_);
    Aim aim;
    aim.note = centre_ + static_cast<int>(chosen);
    aim.bend = static_cast<std::int32_t>(std::clamp<std::int64_t>(exact, 0, midi::kBendMax));
    aim.cents = static_cast<std::int32_t>((position - chosen * kUnitsPerRange) * 100 / kUnitsPerRange);
    return aim;
}

std::int32_t PitchCorrection::pulled(std::int32_t bend, double weight) const
{
    if (settings_.strength == 0)
        return bend;
    const std::int64_t pull = std::int64_t(aimAt(bend).bend) - bend;
    const double share = weight * settings_.strength / kMaxStrength;
    return bend + static_cast<std::int32_t>(std::lround(static_cast<double>(pull) * share));
}

void PitchCorrection::advanceSettle(std::uint32_t nowMs)
{
    if (settings_.glideMs == 0) {
        settle_ = 1;
        return;
    }
    const std::uint32_t elapsed = nowMs - lastMs_;
    settle_ = std::min(1.0, settle_ + static_cast<double>(elapsed) / settings_.glideMs);
}

std::int32_t PitchCorrection::follow(std::int32_t bend, std::uint32_t nowMs)
{
    if (settings_.glideMs == 0) {
        settle_ = 1;
        sounded_ = pulled(bend, 1);
    } else if (!active_) {
        // The hand arrives moving: the pull builds from nothing.
        settle_ = 0;
        sounded_ = bend;
    } else {
        advanceSettle(nowMs);
        const std::int32_t step = bend - pointer_;
        const double halfSemitone = static_cast<double>(kUnitsPerRange) / range_ / 2;
        settle_ = std::max(0.0, settle_ - std::abs(step) / halfSemitone);
        const std::int32_t wanted = pulled(bend, settle_);
        sounded_ += std::clamp(wanted - sounded_, std::min(0, step), std::max(0, step));
    }
    active_ = true;
    pointer_ = bend;
    lastMs_ = nowMs;
    return sounded_;
}

// The sounded bend moves into the span between what the pull wants now and
// what it wants at rest, by the least amount: so it never swings back.
std::optional<std::int32_t> PitchCorrection::settle(std::uint32_t nowMs)
{
    if (!settling())
        return std::nullopt;
    const std::uint32_t elapsed = nowMs - lastMs_;
    if (elapsed < kSettleIntervalMs)
        return std::nullopt;
    advanceSettle(nowMs);
    lastMs_ = nowMs;
    const std::int32_t now = pulled(pointer_, settle_);
    const std::int32_t rest = pulled(pointer_, 1);
    const std::int32_t goal = std::clamp(sounded_, std::min(now, rest), std::max(now, rest));
    const double halfSemitone = static_cast<double>(kUnitsPerRange) / range_ / 2;
    const auto largest = static_cast<std::int32_t>(
        std::max(1.0, std::ceil(halfSemitone * static_cast<double>(elapsed) / settings_.glideMs)));
    const std::int32_t step = std::clamp(goal - sounded_, -largest, largest);
    if (step == 0)
        return std::nullopt;
    sounded_ += step;
    return sounded_;
}

bool PitchCorrection::settling() const
{
    return active_ && settings_.glideMs > 0 && sounded_ != pulled(pointer_, 1);
}

void PitchCorrection::release()
{
    active_ = false;
    settle_ = 0;
}
