#pragma once
// Small builders shared by the lighting tests.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engines/lighting/KeyboardLightRenderer.h"
#include "engines/lighting/LightingTables.h"

struct StateSpec {
    uint8_t effect = 0, brightness = 4, speed = 0, direction = 1, multi = 0;
    Rgb colour{10, 20, 30};
    uint8_t aux = 0;
};

inline LightInfoRecord MakeState(const StateSpec& s) {
    LightInfoRecord r;
    r.SelectItem = s.effect;
    r.Light = s.brightness;
    r.Speed = s.speed;
    r.Fx = s.direction;
    r.MultiColor = s.multi;
    r.Red = s.colour.red;
    r.Green = s.colour.green;
    r.Blue = s.colour.blue;
    r.ZZCCLedMode = s.aux;
    return r;
}

// A keyboard renderer with its own program-wide state, a fixed random value and a settable clock.
struct KeyboardRig {
    explicit KeyboardRig(uint16_t product = 0x5062, const StateSpec& spec = {})
        : renderer(product, &shared) {
        renderer.SetRandomSource([this] { return random; });
        renderer.SetClock([this] { return now; });
        Apply(spec);
    }
    void Apply(const StateSpec& spec) {
        renderer.SetLightState(MakeState(spec));
        renderer.EnterEffect(spec.effect);
    }
    LightRecord At(size_t point) const { return renderer.Frame().Record(point); }

    CKeyboardLightingShared shared;
    uint32_t random = 0;
    uint32_t now = 100000;
    CKeyboardLightRenderer renderer;
};

inline LightRecord Rec(Rgb c, uint8_t factor) { return LightRecord::Of(c, factor); }
inline Rgb Spec(unsigned i) { return lighting::Spectrum(i); }
