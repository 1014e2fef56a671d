// Usage: sorvane_contact_sheet.exe OUTPUT_FOLDER
// Writes the meter face of each power sample of a table, as the faded-in window shows it over
// a dark and beside it a light desktop, to NN.ppm in table order (one "NN<TAB>label" line on
// the standard output each), and one face over the dark desktop at 100, 150 and 200 % to
// scale-96.ppm, scale-144.ppm and scale-192.ppm. tools/contact-sheet montages them.
#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <stdio.h>
#include <string>
#include <vector>

#include "framework/lengths.h"
#include "mainwin/fade_state.h"
#include "meter/icon_moon.h"
#include "tests/support/wine_support.h"

namespace {

struct SheetSample {
    const char* label;
    PowerSample sample;
};

constexpr uint8_t kNoFlag = 0;
constexpr uint32_t kMinute = 60;

// The charge series runs at three minutes left per percent, so the times read as a
// plausible battery; the flag samples sit where a system would raise them.
const SheetSample kSamples[] = {
    {"0 % discharging 0:00", MakeSample(kAcOffline, kNoFlag, 0, 0)},
    {"7 % discharging 0:21", MakeSample(kAcOffline, kNoFlag, 7, 21 * kMinute)},
    {"25 % discharging 1:15", MakeSample(kAcOffline, kNoFlag, 25, 75 * kMinute)},
    {"48 % discharging 2:24", MakeSample(kAcOffline, kNoFlag, 48, 144 * kMinute)},
    {"50 % discharging 2:30", MakeSample(kAcOffline, kNoFlag, 50, 150 * kMinute)},
    {"52 % discharging 2:36", MakeSample(kAcOffline, kNoFlag, 52, 156 * kMinute)},
    {"75 % discharging 3:45", MakeSample(kAcOffline, kNoFlag, 75, 225 * kMinute)},
    {"100 % discharging 5:00", MakeSample(kAcOffline, kNoFlag, 100, 300 * kMinute)},
    {"18 % low flag 0:54", MakeSample(kAcOffline, kBatteryFlagLow, 18, 54 * kMinute)},
    {"4 % critical flag 0:12", MakeSample(kAcOffline, kBatteryFlagCritical, 4, 12 * kMinute)},
    {"64 % on mains, charging", MakeSample(kAcOnline, kBatteryFlagCharging, 64, kUnknownTime)},
    {"57 % discharging, time unknown", MakeSample(kAcOffline, kNoFlag, 57, kUnknownTime)},
};

struct Rgb {
    uint8_t r, g, b;
};

constexpr Rgb kDarkDesktop = {40, 44, 52};
constexpr Rgb kLightDesktop = {236, 238, 242};

// The layer is premultiplied blue-green-red-alpha, bottom row first. The desktop
// blends it the way UpdateLayeredWindow does with the window's constant alpha at
// the end of the fade-in: source scaled by it, plus the desktop's share left over.
uint8_t Blend(int source, int alpha, int desktop) {
    const int scaled = (source * kMaxAlpha + 127) / 255;
    const int keep = 255 - (alpha * kMaxAlpha + 127) / 255;
    return static_cast<uint8_t>(std::min(255, scaled + (desktop * keep + 127) / 255));
}

// The layer over each desktop, side by side, into a PPM file.
bool WritePpm(const std::string& path, const std::vector<uint8_t>& rgb, int width) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    fprintf(file, "P6\n%d %d\n255\n", width, int(rgb.size()) / 3 / width);
    const bool ok = fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
    return fclose(file) == 0 && ok;
}

bool WriteLayer(const std::string& path, const uint8_t* layer, int size,
                std::initializer_list<Rgb> desktops) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < size; ++y) {
        const uint8_t* row = layer + (size - 1 - y) * size * 4;
        for (const Rgb& desktop : desktops) {
            for (const uint8_t* p = row; p < row + size * 4; p += 4) {
                rgb.insert(rgb.end(), {Blend(p[2], p[3], desktop.r), Blend(p[1], p[3], desktop.g),
                                       Blend(p[0], p[3], desktop.b)});
            }
        }
    }
    return WritePpm(path, rgb, size * static_cast<int>(desktops.size()));
}

// The 16-pixel tray icon as the shell gets it, for a range of charges, over a dark taskbar
// and below it a light one, 8 pixels of taskbar around each.
bool WriteTray(const std::string& path, CMainWin& meter) {
    const PowerSample charges[] = {MakeSample(kAcOffline, kBatteryFlagCritical, 4, 12 * kMinute),
                                   MakeSample(kAcOffline, kBatteryFlagLow, 18, 54 * kMinute),
                                   MakeSample(kAcOffline, kNoFlag, 30, 90 * kMinute),
                                   MakeSample(kAcOffline, kNoFlag, 50, 150 * kMinute),
                                   MakeSample(kAcOffline, kNoFlag, 75, 225 * kMinute),
                                   MakeSample(kAcOnline, kBatteryFlagCharging, 90, kUnknownTime),
                                   MakeSample(kAcOffline, kNoFlag, 100, 300 * kMinute)};
    constexpr int kIcon = 16, kCell = kIcon + 8, kWidth = 7 * kCell + 8;
    const char* personalize = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    std::vector<uint8_t> rgb;
    for (DWORD light : {0, 1}) {
        RegSetKeyValueA(HKEY_CURRENT_USER, personalize, "SystemUsesLightTheme", REG_DWORD, &light,
                        sizeof(light));
        SendMessageA(meter.GetHwnd(), WM_SETTINGCHANGE, 0, LPARAM("ImmersiveColorSet"));
        const uint32_t bar = TaskbarColour(light ? TaskbarTheme::kLight : TaskbarTheme::kDark);
        std::vector<uint8_t> band((kIcon + 16) * kWidth * 3);
        for (size_t i = 0; i < band.size(); ++i) {
            band[i] = uint8_t(bar >> 8 * (i % 3));
        }
        for (int c = 0; c < 7; ++c) {
            FakePower::sample = charges[c];
            meter.PollPower();
            if (FakeShell::icon.size() != kIcon * kIcon) {
                return false;
            }
            for (int i = 0; i < kIcon * kIcon; ++i) {
                const uint32_t p = FakeShell::icon[i], a = p >> 24;
                uint8_t* out = &band[((8 + i / kIcon) * kWidth + 8 + c * kCell + i % kIcon) * 3];
                for (int k = 0; k < 3; ++k) {  // straight alpha, red first
                    out[k] = uint8_t(((p >> (16 - 8 * k) & 255) * a + out[k] * (255 - a)) / 255);
                }
            }
        }
        rgb.insert(rgb.end(), band.begin(), band.end());
    }
    RegDeleteKeyValueA(HKEY_CURRENT_USER, personalize, "SystemUsesLightTheme");
    return WritePpm(path, rgb, kWidth);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    CreateDirectoryA(argv[1], nullptr);
    int failures = 0;
    {
        MeterUnderTest t(kSamples[0].sample);
        CMainWin& meter = t.meter();
        if (!meter.GetLayerBits()) {
            fprintf(stderr, "the meter has no layer\n");
            return 1;
        }
        int number = 0;
        for (const SheetSample& s : kSamples) {
            ++number;
            FakePower::sample = s.sample;
            meter.PollPower();
            // A sample the meter did not take would show the previous face under
            // this label.
            if (SampleChanged(meter.GetSnapshot(), s.sample)) {
                fprintf(stderr, "sample %d (%s) was not drawn\n", number, s.label);
                ++failures;
                continue;
            }
            char stem[16];
            snprintf(stem, sizeof(stem), "%02d", number);
            failures += !WriteLayer(folder + stem + ".ppm", meter.GetLayerBits(),
                                    meter.GetLengths().layer, {kDarkDesktop, kLightDesktop});
            printf("%s\t%s\n", stem, s.label);
        }
        // One face at three scales, each drawn at its own size as the monitor's DPI
        // asks (Wine never sends WM_DPICHANGED; this process does).
        FakePower::sample = MakeSample(kAcOffline, kNoFlag, 57, 171 * kMinute);
        meter.PollPower();
        for (int dpi : {96, 144, 192}) {
            const int size = ScaleLength(kDesignLayer, dpi);
            RECT place = {0, 0, size, size};
            SendMessageA(meter.GetHwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&place));
            const bool drawn = meter.GetLengths().layer == size;
            failures += !drawn || !WriteLayer(folder + "scale-" + std::to_string(dpi) + ".ppm",
                                              meter.GetLayerBits(), size, {kDarkDesktop});
        }
        failures += !WriteTray(folder + "tray.ppm", meter);
    }
    fprintf(stderr, "%d samples, %d failed\n",
            static_cast<int>(sizeof(kSamples) / sizeof(kSamples[0])), failures);
    return failures == 0 ? 0 : 1;
}
