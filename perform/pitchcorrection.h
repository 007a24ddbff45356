#pragma once
// Pitch correction: turns the pitch bend the pointer asks for into the bend
// that sounds, pulled towards the nearest note of a scale.
//
// The strength (0..100 %) says how far: at 100 % the sounded bend is the
// note's own bend, at 50 % halfway there, at 0 % the pointer's bend itself.
// A tie between two notes goes to the upper one.
//
// The glide (0..500 ms) makes the pull follow the hand. With glide 0 the pull
// is immediate. Otherwise the pull is weighed by a settle factor that grows
// from 0 to 1 over the glide time while the hand rests, and that each
// movement lowers: moving half a semitone releases it completely, so a fast
// slide or a vibrato sounds as played while a resting hand lands on the note.
// On a movement the sounded bend steps at most as far as the pointer did, and
// never against it; what the pull still wants is reached by settling steps,
// which the caller asks for with settle() (a 5 ms timer is enough: a step is
// taken at most once every kSettleIntervalMs, and is at most half a semitone
// per glide time).
//
// Qt-free and clock-free: the caller passes the millisecond clock
// (timeGetTime()), whose wrap-around the arithmetic survives.
#include <cstdint>
#include <optional>

#include "perform/scale.h"

struct CorrectionSettings {
    int strength = 0;  // percent, 0..100
    ScaleKind scale = ScaleKind::Chromatic;
    int glideMs = 0;  // 0..500
    bool operator==(const CorrectionSettings&) const = default;
};

class PitchCorrection {
public:
    static constexpr int kMaxStrength = 100;
    static constexpr int kMaxGlideMs = 500;
    static constexpr std::uint32_t kSettleIntervalMs = 5;

    // The scale note nearest to a bend: its number, its exact bend (clamped
    // to 0..16383) and the cents from that note to the bend.
    struct Aim {
        int note = 0;
        std::int32_t bend = 0;
        std::int32_t cents = 0;
        bool operator==(const Aim&) const = default;
    };

    // Out-of-range values are clamped.
    void setSettings(const CorrectionSettings& settings);
    const CorrectionSettings& settings() const { return settings_; }
    void setStrength(int percent);
    void setScale(ScaleKind scale) { settings_.scale = scale; }
    void setRoot(int pitchClass);
    int root() const { return root_; }
    // The pitch axis of the surface: the centre note sounds at bend 8192 and
    // the bend range reaches rangeSemitones (1..127) either side.
    void setAxis(int centreNote, int rangeSemitones);

    bool isOff() const { return settings_.strength == 0; }
    Aim aimAt(std::int32_t bend) const;

    // A movement of the pointer to `bend`: answers the bend to sound.
    std::int32_t follow(std::int32_t bend, std::uint32_t nowMs);
    // A settling step when one is due (the hand may rest); nothing when the
    // sounded bend stays as it is.
    std::optional<std::int32_t> settle(std::uint32_t nowMs);
    // True while settle() still has somewhere to go.
    bool settling() const;
    // The note ended: the next movement starts afresh.
    void release();
    std::int32_t sounded() const { return sounded_; }

private:
    CorrectionSettings settings_;
    int root_ = 0;
    int centre_ = 69;
    int range_ = 12;

    bool active_ = false;
    std::int32_t pointer_ = 0;
    std::int32_t sounded_ = 0;
    double settle_ = 0;  // the settle factor, 0..1
    std::uint32_t lastMs_ = 0;

    std::int32_t pulled(std::int32_t bend, double weight) const;
    void advanceSettle(std::uint32_t nowMs);
};
