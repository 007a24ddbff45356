#pragma once
// The level of a rendered song: the built-in synth leaves a typical General
// MIDI song peaking far below full scale, so "render" can raise it by a fixed
// number of decibels (--gain DB) or bring its loudest sample to just below
// full scale (--normalize), measured on a first pass over the whole song.
#include <cstdint>
#include <span>

// Where --normalize puts the peak: 1 dB under full scale leaves room for the
// inter-sample peaks of a later conversion.
constexpr double kNormalizedPeakDb = -1.0;

// The largest magnitude among the samples (full scale is 1.0).
float peakOf(std::span<const float> samples);

// A level in dB relative to full scale; -inf for silence.
double decibelsOf(double magnitude);
double factorOfDecibels(double db);

// The gain in dB that brings peak to kNormalizedPeakDb; 0 for silence.
double normalizingGainDb(double peak);

// Scales and converts to 16-bit samples, rounding, and clipping what the gain
// drives beyond full scale. Answers how many samples were clipped.
std::size_t toPcm16(std::span<const float> in, double factor, std::span<std::int16_t> out);
