// The session's life, the pitch axis, the surface and the correction.
#include "perform/session.h"

#include <algorithm>
#include <cmath>

#include "mididata/messagesink.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/midigateway.h"
#include "midispec/midispec.h"
#include "midispec/midivocabulary.h"
#include "perform/surfacemapping.h"
#include "perform/vidize.h"
#include "platform/clock.h"

namespace {

constexpr std::int32_t kDefaultRange = 12;

}  // namespace

Session::Session() : Session(Options{}) {}

Session::Session(Options options)
    : options_(std::move(options)),
      gateway_(std::make_unique<MidiGateway>()),
      performer_(std::make_unique<TVidize>(options_.playsInstrument ? gateway_.get() : nullptr,
                                           options_.performerPause ? options_.performerPause
                                                                   : TVidize::PauseFunction(platform::Sleep),
                                           [this] { return now(); }))
{
    correction_.setAxis(axis_.centreNote, axis_.rangeSemitones);
}

// The player may be playing the file's track or the performer's song: it
// stops, and never calls back, before either goes.
Session::~Session()
{
    gateway_->StopPlayback();
    gateway_->OnSongEnd = nullptr;
    performer_->attach(nullptr);
}

std::uint32_t Session::now() const
{
    return options_.clock ? options_.clock() : platform::timeGetTime();
}

void Session::pause(std::uint32_t milliseconds) const
{
    if (options_.pause)
        options_.pause(milliseconds);
    else
        platform::Sleep(milliseconds);
}

void Session::changed()
{
    if (listener_ != nullptr)
        listener_->stateChanged();
}

void Session::initSound()
{
    gateway_->OnSongEnd = [this] {
        if (listener_ != nullptr)
            listener_->songEnded();
    };
    performer_->InitSound();
    axis_ = PitchAxis{};
    axis_.centreNote = performer_->Note;
    correction_.setAxis(axis_.centreNote, axis_.rangeSemitones);
    applyKey(0, 0, ChoiceOrigin::Default);
}

void Session::setCentreNote(std::int32_t note)
{
    axis_.centreNote = std::clamp(note, 0, 127);
    performer_->SetNote(axis_.centreNote);
    correction_.setAxis(axis_.centreNote, axis_.rangeSemitones);
    changed();
}

// 0 or less has no semitone width, and more than one data byte cannot be sent.
std::int32_t Session::setRange(std::int32_t semitones)
{
    if (semitones < 1 || semitones > surface::kMaxBendRange) {
        reportMessage("Bad range.");
        semitones = kDefaultRange;
    }
    axis_.rangeSemitones = semitones;
    axis_.unitsPerSemitone = midi::kBendCentre / semitones;
    performer_->SetPitchBendRange(semitones);
    correction_.setAxis(axis_.centreNote, axis_.rangeSemitones);
    changed();
    return semitones;
}

void Session::setSurfaceLayout(bool horizontal)
{
    horizontal_ = horizontal;
}

std::int32_t Session::corrected(std::int32_t bend)
{
    return correction_.follow(bend, now());
}

// While the correction is on the status line names the aimed note and the
// cents from it to the pointer's own pitch.
std::string Session::statusFor(std::int32_t loudness, std::int32_t bend, std::int32_t note, std::int32_t cents) const
{
    if (correction_.isOff())
        return surface::StatusText(loudness, note, cents);
    const PitchCorrection::Aim aim = correction_.aimAt(bend);
    return surface::StatusText(loudness, aim.note, aim.cents);
}

SurfaceShow Session::pointerMoved(const PointerSample& sample)
{
    // Pitch runs along one axis of the square, loudness along the other.
    const bool horizontal = sample.mapping.horizontal;
    const std::int32_t pitchPos = horizontal ? sample.x : sample.height - sample.y;
    const std::int32_t pitchLength = horizontal ? sample.width : sample.height;
    const std::int32_t loudPos = horizontal ? sample.y : sample.x;
    const std::int32_t loudLength = horizontal ? sample.height : sample.width;
    // A pen that only hovers sounds nothing while its pressure gives the loudness.
    if (sample.source == PointerSource::Pen && input_.loudnessFromPen && sample.pressure <= 0)
        return {};
    const std::int32_t loudness = loudnessOf(sample, surface::Loudness(loudPos, loudLength));

    std::int32_t bend = 0;
    std::int32_t note = axis_.centreNote;
    std::int32_t cents = 0;
    if (sample.area == SurfaceArea::Square) {
        if (sample.mapping.easy)
            bend = surface::EasyBend(pitchPos, pitchLength, axis_.rangeSemitones);
        else
            bend = horizontal ? surface::HorizontalBend(sample.x, sample.width)
                              : surface::VerticalBend(sample.y, sample.height);
        const surface::Deviation deviation = surface::DeviationOf(bend, axis_.unitsPerSemitone);
        note += deviation.semis;
        cents = deviation.cents;
    } else {
        // The strips play the extremes of the range, always without cents.
        const bool high = sample.area == SurfaceArea::HighStrip;
        bend = high ? midi::kBendMax : 0;
        note += high ? axis_.rangeSemitones : -axis_.rangeSemitones;
    }

    performer_->SetPitchBend(corrected(bend));
    SurfaceShow show;
    show.status = statusFor(loudness, bend, note, cents);
    show.settling = correction_.settling();
    performer_->SetExpression(loudness);
    if (sample.source == PointerSource::Pen && input_.tiltToModulation) {
        // Upright is none; 60 degrees of tilt either way is full depth.
        const double tilt = std::min(60.0, std::max(std::abs(sample.tiltX), std::abs(sample.tiltY)));
        const auto depth = std::int32_t(tilt * 127.0 / 60.0 + 0.5);
        if (depth != performer_->ModulationDepth) {
            performer_->SetModulation(depth);
            changed();
        }
    }
    performer_->NoteOn();
    leftWhileSustained_ = false;
    return show;
}

void Session::endNote()
{
    performer_->NoteOff();
    correction_.release();
}

// With the sustain pedal held the note goes on until the pedal is let go.
void Session::leaveSurface()
{
    if (sustained_) {
        leftWhileSustained_ = true;
        return;
    }
    endNote();
}

bool Session::settle()
{
    if (const auto bend = correction_.settle(now()))
        performer_->SetPitchBend(*bend);
    return correction_.settling();
}

// The grid marks the key's notes; the correction's root is the key's tonic,
// and a scale read from a file follows the key of each file read.
void Session::applyKey(int sf, int mode, ChoiceOrigin origin)
{
    if (sf < -7 || sf > 7 || (mode != 0 && mode != 1))
        return;  // the grid key ignores such a signature too
    key_ = {sf, mode, origin};
    SelectGridKey(sf, mode);
    correction_.setRoot(KeyTonic(sf, mode));
    if (origin == ChoiceOrigin::File && scaleOrigin_ != ChoiceOrigin::User) {
        if (mode == 1) {
            correction_.setScale(ScaleKind::NaturalMinor);
            scaleOrigin_ = ChoiceOrigin::File;
        } else if (scaleOrigin_ == ChoiceOrigin::File) {
            correction_.setScale(ScaleKind::Major);
        }
    }
    changed();
}

void Session::chooseKey(int sf, int mode)
{
    applyKey(sf, mode, ChoiceOrigin::User);
}

void Session::chooseScale(ScaleKind scale)
{
    correction_.setScale(scale);
    scaleOrigin_ = ChoiceOrigin::User;
    changed();
}

void Session::chooseStrength(int percent)
{
    correction_.setStrength(percent);
    changed();
}

// Settings read at start are the user's own earlier choice.
void Session::setCorrection(const CorrectionSettings& settings)
{
    correction_.setSettings(settings);
    if (settings.scale != ScaleKind::Chromatic)
        scaleOrigin_ = ChoiceOrigin::User;
    changed();
}
