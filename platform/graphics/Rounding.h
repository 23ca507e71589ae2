#pragma once
// The process-wide rounding mode. It starts as round-to-nearest with ties to even; the first
// paint of a glass list box switches it to rounding downward, and nothing switches it back.
// It moves what the controls paint; the banner and what is stored round in a mode of their own
// (RoundIn, BannerDocument::SetRounding), so one design always gives one banner.
// Every conversion of a real value to an integer that the program calls "round" goes through
// Round(); floating-point work whose intermediate results must follow the mode (the float32
// steps of the HLS conversions) runs inside a FloatRoundingScope, on ModeDouble values
// (platform/graphics/DirectedFloat.h). The whole project is compiled with -frounding-math so the
// compiler does not fold such work under an assumed mode.
#include <cstdint>

namespace veskel {

enum class RoundingMode { NearestEven, Downward };

RoundingMode CurrentRoundingMode();

// One-way switch to rounding downward (what the glass list box does on its first paint).
void SwitchRoundingToDownward();

// Rounds in the current mode: Round(127.5) = 128 and Round(-2.5) = -2 while nearest-even,
// 127 and -3 once downward. Values outside the int range saturate.
int Round(double value);

// Rounds in the given mode, whatever the process mode is.
int RoundIn(RoundingMode mode, double value);

// Converts to float32 in the current mode (a value between two floats goes down when the mode
// is downward).
float AsFloat32(double value);

// Sets the processor's floating-point rounding mode to the process mode for the lifetime of the
// scope and restores the previous processor mode afterwards. Where the processor has no mode
// to set (WebAssembly), it records the mode for ModeDouble's software steps instead.
class FloatRoundingScope {
public:
    FloatRoundingScope();
    ~FloatRoundingScope();
    FloatRoundingScope(const FloatRoundingScope&) = delete;
    FloatRoundingScope& operator=(const FloatRoundingScope&) = delete;

private:
    int saved_;
};

// Runs a piece of work in a given mode, then puts the process mode back: work deferred to a
// later moment (a skin tinted at its next paint) keeps the mode of the moment it was asked for.
class RoundingModeScope {
public:
    explicit RoundingModeScope(RoundingMode mode);
    ~RoundingModeScope();
    RoundingModeScope(const RoundingModeScope&) = delete;
    RoundingModeScope& operator=(const RoundingModeScope&) = delete;

private:
    RoundingMode saved_;
};

// For tests: runs the process in the given mode for the lifetime of the object, then puts the
// previous mode back. Lets a test check both modes side by side.
class ScopedRoundingModeForTesting {
public:
    explicit ScopedRoundingModeForTesting(RoundingMode mode);
    ~ScopedRoundingModeForTesting();
    ScopedRoundingModeForTesting(const ScopedRoundingModeForTesting&) = delete;
    ScopedRoundingModeForTesting& operator=(const ScopedRoundingModeForTesting&) = delete;

private:
    RoundingMode saved_;
};

}  // namespace veskel
