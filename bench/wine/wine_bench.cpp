// The meter's costs under Wine, measured in one run: a changed sample's redraw
// against the text drawing it cannot avoid, an unchanged poll against a bare read
// of the power source, and what many samples and many meters leave behind.
// Usage: sorvane_wine_bench.exe [--quick]   (--quick: far smaller counts)
#include <windows.h>

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include <psapi.h>

#include "bench/wine/heap_census.h"
#include "bench/wine/import_counter.h"
#include "mainwin/mainwin.h"
#include "resources/resource.h"
#include "meter/face_layout.h"
#include "meter/moon_geometry.h"
#include "meter/power_sample.h"
#include "tests/support/wine_support.h"

namespace {

// The text drawing of one redraw at 96 DPI: 64 outline draws and a fill, two lines,
// two surfaces.
constexpr int kDrawsPerRedraw = 260;

constexpr uint32_t kBatterySeconds = 10260;

struct Counts {
    int scaleRedraws;   // timed redraws at each DPI
    int screenSeconds;  // each of the screen-off and screen-on stretches
    int warmups;
    int repetitions;           // redraws timed: repetitions x redrawsPerRepetition, one by one
    int redrawsPerRepetition;  // messages are dispatched after each such group
    int unchangedPolls;        // for the allocation and GDI census
    int pollsPerRepetition;    // unchanged-poll timing
    int leakCheckpoint;        // first report of the leak run
    int leakSamples;           // changed samples of the leak run
    int meterCycles;           // create/teardown cycles
};

constexpr Counts kFull = {200, 30, 20, 15, 20, 100000, 200000, 1000, 10000, 300};
constexpr Counts kQuick = {40, 9, 3, 5, 4, 10000, 20000, 100, 1000, 30};

double Seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Minimum(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

PowerSample OnBattery(int percent) {
    const uint8_t flag = percent < 5 ? kBatteryFlagCritical : percent < 33 ? kBatteryFlagLow : 0;
    return MakeSample(kAcOffline, flag, static_cast<uint8_t>(percent), kBatterySeconds);
}

void DrainMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// Private bytes of this process. Wine 8 fills only the short PROCESS_MEMORY_COUNTERS
// (cb says which was filled) and leaves PrivateUsage alone; its PagefileUsage is the
// commit charge, which Windows reports as the same figure (on Wine: RssAnon + VmSwap).
SIZE_T PrivateCommit() {
    PROCESS_MEMORY_COUNTERS_EX counters;
    memset(&counters, 0, sizeof(counters));
    counters.cb = sizeof(counters);
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(),
                                 reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                 sizeof(counters))) {
        return 0;
    }
    return counters.cb >= sizeof(counters) && counters.PrivateUsage ? counters.PrivateUsage
                                                                    : counters.PagefileUsage;
}

struct Snapshot {
    int gdiObjects;
    SIZE_T privateBytes;
    HeapCensus heap;
};

Snapshot Take() {
    Snapshot s;
    s.gdiObjects = CountGdiObjects();
    s.privateBytes = PrivateCommit();
    s.heap = TakeHeapCensus();
    return s;
}

void PrintSnapshot(const char* label, const Snapshot& s) {
    printf(
        "  %-28s GDI objects %6d   private bytes %10llu   heap busy blocks %7llu (%llu bytes)%s\n",
        label, s.gdiObjects, static_cast<unsigned long long>(s.privateBytes),
        static_cast<unsigned long long>(s.heap.blocks),
        static_cast<unsigned long long>(s.heap.bytes),
        s.heap.complete ? "" : " [heap walk incomplete]");
}

long long Growth(uint64_t after, uint64_t before) {
    return static_cast<long long>(after) - static_cast<long long>(before);
}

// The meter's own text drawing of one redraw, with its fonts, into two DIB sections
// of its face's size standing for its face and mask.
class TextOnly {
public:
    explicit TextOnly(CMainWin& meter) : m_meter(meter) { Renew(); }
    ~TextOnly() { Release(); }

    // New DIB sections and DCs, as DrawMoon leaves the meter with before its texts.
    void Renew() {
        Release();
        const int size = m_meter.GetLengths().face;
        m_face.CreateDib(size, size, kFaceBits);
        m_mask.CreateDib(size, size, kFaceBits);
        m_face.FillColor(0);
        m_mask.FillColor(0);
    }

    void Draw(const FaceDescription& d) {
        m_meter.DrawFaceTexts(m_mask.GetMemDC(), d, kWhite, kWhite);
        m_meter.DrawFaceTexts(m_face.GetMemDC(), d, kLightColour, d.stateColour);
    }

private:
    // The meter's fonts must not stay selected here when it frees them.
    void Release() {
        const HDC dcs[] = {m_face.GetMemDC(), m_mask.GetMemDC()};
        for (HDC dc : dcs) {
            if (dc) {
                SelectObject(dc, GetStockObject(SYSTEM_FONT));
            }
        }
        m_face.Release();
        m_mask.Release();
    }
    CMainWin& m_meter;
    CDibImage m_face;
    CDibImage m_mask;
};

// The censuses must see one new object, or their unchanged counts would mean nothing.
bool CheckCensuses() {
    Take();
    const Snapshot before = Take();
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    void* volatile block = malloc(1000);  // volatile: the pair may not be optimised away
    const HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, 1000);
    const Snapshot during = Take();
    GlobalFree(global);
    free(block);
    DeleteObject(brush);
    const Snapshot after = Take();
    const int gdi = during.gdiObjects - before.gdiObjects;
    const long long blocks = Growth(during.heap.blocks, before.heap.blocks);
    const bool ok = gdi == 1 && blocks == 2 && after.gdiObjects == before.gdiObjects &&
                    after.heap.blocks == before.heap.blocks && before.heap.complete;
    printf("census check: a brush, a malloc and a GlobalAlloc show as %+d GDI object and %+lld "
           "heap blocks (expected +1 and +2), and are gone after freeing: %s\n",
           gdi, blocks, ok ? "yes" : "NO");
    printf("private bytes are PROCESS_MEMORY_COUNTERS%s\n", [] {
        PROCESS_MEMORY_COUNTERS_EX c;
        memset(&c, 0, sizeof(c));
        c.cb = sizeof(c);
        K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c),
                                sizeof(c));
        return c.cb >= sizeof(c) && c.PrivateUsage
                   ? "_EX.PrivateUsage"
                   : ".PagefileUsage (this system fills no PrivateUsage)";
    }());
    return ok;
}

struct Summary {
    std::vector<std::string> lines;
    void Add(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        char buffer[512];
        va_list args;
        va_start(args, format);
        vsnprintf(buffer, sizeof(buffer), format, args);
        va_end(args);
        lines.emplace_back(buffer);
        printf("%s\n", buffer);
    }
};

// a. A changed sample: moon, texts on face and mask, reduction, UpdateLayeredWindow.
void ChangedRedraw(CMainWin& m, const Counts& n, Summary& summary) {
    printf("\n== changed-sample redraw (PollPower, samples alternating 57 %% / 58 %%)\n");
    const FaceDescription texts[2] = {DescribeSample(OnBattery(57)), DescribeSample(OnBattery(58))};
    TextOnly reference(m);
    int redrawTurn = 1, textTurn = 0;  // the meter shows 57 %: the first redraw is 58 %
    auto redraw = [&] {
        FakePower::sample = OnBattery(redrawTurn ? 58 : 57);
        redrawTurn ^= 1;
        m.PollPower();
    };
    auto textOnly = [&] {
        reference.Draw(texts[textTurn]);
        textTurn ^= 1;
    };

    // The drawing is checked before it is timed: the meter's calls are counted, and
    // its small font (the one left selected in the face) must be the reference's.
    {
        ImportCounter counter;
        if (counter.Install()) {
            counter.Reset();
            redraw();
            counter.Freeze();
            const long long meterDraws = counter.Calls("user32.dll", "DrawTextA");
            counter.Reset();
            textOnly();
            counter.Freeze();
            const long long referenceDraws = counter.Calls("user32.dll", "DrawTextA");
            counter.Uninstall();
            printf("  DrawTextA calls counted: one redraw %lld, the reference batch %lld "
                   "(expected %d)\n",
                   meterDraws, referenceDraws, kDrawsPerRedraw);
            if (meterDraws != kDrawsPerRedraw || referenceDraws != kDrawsPerRedraw) {
                summary.Add("WARNING: a redraw makes %lld DrawTextA calls, not %d", meterDraws,
                            kDrawsPerRedraw);
            }
        }
    }

    for (int i = 0; i < n.warmups; ++i) {
        redraw();
        textOnly();
    }
    DrainMessages();

    // Each call is timed on its own, a redraw and a text batch in turn, so that a load
    // that comes and goes hits both alike; the medians keep the outliers out.
    const int calls = n.repetitions * n.redrawsPerRepetition;
    std::vector<double> redrawMs, textMs;
    for (int i = 0; i < calls; ++i) {
        double start = Seconds();
        redraw();
        redrawMs.push_back((Seconds() - start) * 1000);
        start = Seconds();
        textOnly();
        textMs.push_back((Seconds() - start) * 1000);
        if (i % n.redrawsPerRepetition == n.redrawsPerRepetition - 1) {
            DrainMessages();
        }
    }

    // Where the rest of a redraw goes: the moon (which makes its three DIB sections
    // anew), the reduction with UpdateLayeredWindow, and text drawn into DCs as new
    // as the ones the moon leaves behind.
    const FaceDescription d = DescribeSample(OnBattery(57));
    std::vector<double> moonMs, layerMs, windowMs, freshTextMs;
    for (int i = 0; i < calls; ++i) {
        double start = Seconds();
        m.DrawMoon(d.phase, d.tilt);
        moonMs.push_back((Seconds() - start) * 1000);
        start = Seconds();
        m.UpdateLayer(0);
        layerMs.push_back((Seconds() - start) * 1000);
        start = Seconds();
        m.UpdateLayer(1);
        windowMs.push_back((Seconds() - start) * 1000);
        reference.Renew();
        start = Seconds();
        textOnly();
        freshTextMs.push_back((Seconds() - start) * 1000);
        if (i % n.redrawsPerRepetition == n.redrawsPerRepetition - 1) {
            DrainMessages();
        }
    }
    redraw();  // a whole face again

    const double medianRedraw = Median(redrawMs), medianText = Median(textMs);
    printf("  %d redraws and %d text batches, each timed alone\n", calls, calls);
    printf("  redraw: median %.3f ms, minimum %.3f ms\n", medianRedraw, Minimum(redrawMs));
    printf("  its %d DrawTextA calls: median %.3f ms (%.1f us each), minimum %.3f ms\n",
           kDrawsPerRedraw, medianText, medianText * 1000 / kDrawsPerRedraw, Minimum(textMs));
    printf("  besides (medians): DrawMoon %.3f ms; UpdateLayer(0), the reduction and "
           "UpdateLayeredWindow, %.3f ms; UpdateLayer(1), UpdateLayeredWindow alone, %.3f ms\n",
           Median(moonMs), Median(layerMs), Median(windowMs));
    printf("  the same %d DrawTextA calls into DIB sections made just before: median %.3f ms\n",
           kDrawsPerRedraw, Median(freshTextMs));
    summary.Add("changed-sample redraw / its %d DrawTextA calls: %.2fx (goal: at most 1.5x)",
                kDrawsPerRedraw, medianRedraw / medianText);
    summary.Add("  (medians of %d calls each: redraw %.2f ms, texts %.2f ms; ratio of minimums "
                "%.2fx)",
                calls, medianRedraw, medianText, Minimum(redrawMs) / Minimum(textMs));
    summary.Add("  of a redraw: moon %.2f ms, reduction + UpdateLayeredWindow %.2f ms "
                "(UpdateLayeredWindow alone %.2f ms); texts into just-made DIB sections %.2f ms",
                Median(moonMs), Median(layerMs), Median(windowMs), Median(freshTextMs));
}

// A changed sample's redraw at 150 % and 200 %, against the same at 100 %: the face
// has 2.25 and 4 times the pixels.
void RedrawAtScales(CMainWin& m, const Counts& n, Summary& summary) {
    printf("\n== redraw at three scales (WM_DPICHANGED in this process)\n");
    const int dpis[] = {96, 144, 192};
    double medians[3] = {};
    int turn = 0;
    for (int i = 0; i < 3; ++i) {
        const int layer = ScaleLength(60, dpis[i]);
        RECT place = {300, 300, 300 + layer, 300 + layer};
        SendMessageA(m.GetHwnd(), WM_DPICHANGED, MAKEWPARAM(dpis[i], dpis[i]), LPARAM(&place));
        std::vector<double> ms;
        for (int k = -n.warmups; k < n.scaleRedraws; ++k) {
            FakePower::sample = OnBattery(57 + (turn ^= 1));
            const double start = Seconds();
            m.PollPower();
            if (k >= 0) {
                ms.push_back((Seconds() - start) * 1000);
            }
            if (k % 10 == 0) {
                DrainMessages();
            }
        }
        medians[i] = Median(ms);
        printf("  %d DPI: a %d x %d layer from a %d x %d face, median redraw %.3f ms\n", dpis[i],
               layer, layer, 4 * layer, 4 * layer, medians[i]);
    }
    RECT back = {300, 300, 360, 360};
    SendMessageA(m.GetHwnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), LPARAM(&back));
    summary.Add("redraw at 144 DPI / at 96: %.2fx (goal: at most 2.25x, the face's pixels)",
                medians[1] / medians[0]);
    summary.Add("redraw at 192 DPI / at 96: %.2fx (goal: at most 4x); medians %.2f, %.2f, %.2f ms",
                medians[2] / medians[0], medians[0], medians[1], medians[2]);
}

// Six hours on battery, sampled every 3 s as the poll does: the charge falls by one
// percent every few minutes, while Windows revises its estimate of the time left in
// seconds at nearly every sample. Every changed sample was drawn before; now only a
// changed face is.
void ReplayedDay(CMainWin& m, Summary& summary) {
    printf("\n== a replayed day: 6 h of samples every 3 s\n");
    constexpr int kSamples = 6 * 3600 / 3;
    ImportCounter counter;
    if (!counter.Install()) {
        summary.Add("replayed day: the import table could not be patched; redraws not counted");
        return;
    }
    unsigned seed = 20261208;
    PowerSample previous = {};
    FaceDescription shown = {};
    int changed = 0, visible = 0;
    counter.Reset();
    for (int i = 0; i < kSamples; ++i) {
        const int left = 6 * 3600 + 1800 - 3 * i;  // seconds, as the discharge says
        seed = seed * 1103515245u + 12345u;
        const int jitter = static_cast<int>((seed >> 16) % 61) - 30;  // the estimate wobbles
        const uint8_t percent = static_cast<uint8_t>(95 - i * 80 / kSamples);
        const PowerSample sample = MakeSample(kAcOffline, percent < 33 ? kBatteryFlagLow : 1,
                                              percent, static_cast<uint32_t>(left + jitter));
        changed += SampleChanged(previous, sample);
        const FaceDescription d = DescribeSample(sample);
        visible += i == 0 || !SameFace(shown, d);
        previous = sample, shown = d;
        FakePower::sample = sample;
        m.PollPower();
        if (i % 100 == 0) {
            DrainMessages();
        }
    }
    counter.Freeze();
    const long long redraws = counter.Calls("user32.dll", "DrawTextA") / kDrawsPerRedraw;
    counter.Uninstall();
    printf("  %d samples, %d of them changed, %d changes of the face\n", kSamples, changed,
           visible);
    summary.Add("replayed day, %d samples: redraws before %d (every changed sample), now %lld: "
                "%.1fx fewer; %.2f redraws per visible change (goal: at most 1)",
                kSamples, changed, redraws, changed / static_cast<double>(redraws),
                redraws / static_cast<double>(visible));
}

// What the poll costs with the screen dark: its ticks, counted as the loop gets them.
void PollTicks(CMainWin& m, const Counts& n, Summary& summary) {
    printf("\n== poll ticks with the screen off, then on\n");
    const auto display = [&](DWORD state) {
        static const GUID kDisplayState = {
            0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
        struct {
            POWERBROADCAST_SETTING head;
            DWORD rest;
        } setting = {{kDisplayState, sizeof(DWORD), {}}, 0};
        memcpy(setting.head.Data, &state, sizeof(state));
        SendMessageA(m.GetHwnd(), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, LPARAM(&setting));
    };
    int ticks[2] = {};
    for (int on = 0; on < 2; ++on) {
        display(on);
        DrainMessages();
        const double end = Seconds() + n.screenSeconds;
        while (Seconds() < end) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ticks[on] +=
                    msg.message == WM_TIMER && msg.hwnd == m.GetHwnd() && msg.wParam == TIMER_POLL;
                DispatchMessageA(&msg);
            }
            Sleep(10);
        }
    }
    summary.Add("poll ticks in %d s: screen off %d (goal 0), on %d (goal %d)", n.screenSeconds,
                ticks[0], ticks[1], n.screenSeconds * 1000 / static_cast<int>(kPollPeriodMs));
}

// b. An unchanged sample: the poll must stop at the comparison.
void UnchangedPoll(CMainWin& m, const Counts& n, Summary& summary) {
    printf("\n== unchanged poll (the sample stays 57 %%)\n");
    FakePower::sample = OnBattery(57);
    m.PollPower();
    m.PollPower();
    DrainMessages();

    ImportCounter counter;
    if (!counter.Install()) {
        summary.Add("unchanged poll: the import table could not be patched; calls not counted");
        return;
    }
    // The counter must see a changed poll's work, or its zero below would mean nothing.
    counter.Reset();
    FakePower::sample = OnBattery(58);
    m.PollPower();
    counter.Freeze();
    const uint64_t changedCalls = counter.Total();
    const uint64_t changedGdi = counter.CallsInto("gdi32.dll");
    const std::vector<std::string> changedList = counter.Called();
    m.PollPower();

    Take();  // the first walk of the heaps may set up what later walks use
    const Snapshot before = Take();
    const int readsBefore = FakePower::reads;
    counter.Reset();
    for (int i = 0; i < n.unchangedPolls; ++i) {
        m.PollPower();
    }
    counter.Freeze();
    const int reads = FakePower::reads - readsBefore;
    const Snapshot after = Take();
    const uint64_t calls = counter.Total();
    const uint64_t gdiCalls = counter.CallsInto("gdi32.dll");
    const uint64_t userCalls = counter.CallsInto("user32.dll");
    const std::vector<std::string> unchangedList = counter.Called();
    counter.Uninstall();

    printf("  one changed poll, for comparison: %llu calls into DLLs, %llu of them into gdi32;"
           " most called:\n",
           static_cast<unsigned long long>(changedCalls),
           static_cast<unsigned long long>(changedGdi));
    for (size_t i = 0; i < changedList.size() && i < 8; ++i) {
        printf("    %s\n", changedList[i].c_str());
    }
    printf("  %d unchanged polls (%d reads of the power source):\n", n.unchangedPolls, reads);
    PrintSnapshot("before", before);
    PrintSnapshot("after", after);
    for (const std::string& s : unchangedList) {
        printf("    called: %s\n", s.c_str());
    }
    summary.Add("unchanged polls x%d: %llu calls into any DLL (gdi32 %llu, user32 %llu; a "
                "changed poll makes %llu)",
                n.unchangedPolls, static_cast<unsigned long long>(calls),
                static_cast<unsigned long long>(gdiCalls),
                static_cast<unsigned long long>(userCalls),
                static_cast<unsigned long long>(changedCalls));
    summary.Add(
        "  growth: GDI objects %+d, private bytes %+lld, heap busy blocks %+lld (%+lld "
        "bytes)%s",
        after.gdiObjects - before.gdiObjects, Growth(after.privateBytes, before.privateBytes),
        Growth(after.heap.blocks, before.heap.blocks), Growth(after.heap.bytes, before.heap.bytes),
        after.heap.complete && before.heap.complete ? "" : " [heap walk incomplete]");

    CMainWin::PowerReader volatile reader = FakePower::Read;
    SYSTEM_POWER_STATUS status;
    std::vector<double> pollNs, readNs;
    for (int rep = 0; rep < n.repetitions + 1; ++rep) {
        double start = Seconds();
        for (int i = 0; i < n.pollsPerRepetition; ++i) {
            m.PollPower();
        }
        const double p = (Seconds() - start) * 1e9 / n.pollsPerRepetition;
        start = Seconds();
        for (int i = 0; i < n.pollsPerRepetition; ++i) {
            reader(&status);
        }
        const double r = (Seconds() - start) * 1e9 / n.pollsPerRepetition;
        if (rep > 0) {  // the first is the warm-up
            pollNs.push_back(p);
            readNs.push_back(r);
        }
    }
    summary.Add("unchanged poll / bare FakePower::Read: %.2fx (%.1f ns / %.1f ns, medians of %d "
                "x %d calls)",
                Median(pollNs) / Median(readNs), Median(pollNs), Median(readNs), n.repetitions,
                n.pollsPerRepetition);
}

// c. What changed samples and whole meters leave behind.
void Leaks(const Counts& n, Summary& summary) {
    printf("\n== leaks: %d changed samples in one meter (percent cycling 1..100)\n", n.leakSamples);
    {
        MeterUnderTest t(OnBattery(57));
        t.FinishFade();
        t.meter().PollPower();
        DrainMessages();
        Take();
        const Snapshot before = Take();
        Snapshot checkpoint = before;
        const double start = Seconds();
        for (int i = 1; i <= n.leakSamples; ++i) {
            FakePower::sample = OnBattery(1 + i % 100);
            t.meter().PollPower();
            if (i % 100 == 0) {
                DrainMessages();
            }
            if (i == n.leakCheckpoint) {
                checkpoint = Take();
            }
        }
        const double seconds = Seconds() - start;
        const Snapshot after = Take();
        char label[64];
        PrintSnapshot("before", before);
        snprintf(label, sizeof(label), "after %d samples", n.leakCheckpoint);
        PrintSnapshot(label, checkpoint);
        snprintf(label, sizeof(label), "after %d samples", n.leakSamples);
        PrintSnapshot(label, after);
        printf("  (%.1f s, %.2f ms a sample)\n", seconds, seconds * 1000 / n.leakSamples);
        summary.Add("leaks, %d changed samples: GDI objects %d -> %d -> %d (growth %+d; %+d "
                    "after the first %d)",
                    n.leakSamples, before.gdiObjects, checkpoint.gdiObjects, after.gdiObjects,
                    after.gdiObjects - before.gdiObjects, after.gdiObjects - checkpoint.gdiObjects,
                    n.leakCheckpoint);
        summary.Add("  private bytes %llu -> %llu -> %llu (growth %+lld; %+lld after the first %d)",
                    static_cast<unsigned long long>(before.privateBytes),
                    static_cast<unsigned long long>(checkpoint.privateBytes),
                    static_cast<unsigned long long>(after.privateBytes),
                    Growth(after.privateBytes, before.privateBytes),
                    Growth(after.privateBytes, checkpoint.privateBytes), n.leakCheckpoint);
        summary.Add("  heap busy blocks %llu -> %llu -> %llu (growth %+lld)",
                    static_cast<unsigned long long>(before.heap.blocks),
                    static_cast<unsigned long long>(checkpoint.heap.blocks),
                    static_cast<unsigned long long>(after.heap.blocks),
                    Growth(after.heap.blocks, before.heap.blocks));
    }
    DrainMessages();

    printf("\n== leaks: %d create/teardown cycles of a whole meter\n", n.meterCycles);
    auto cycle = [] {
        MeterUnderTest t(OnBattery(57));
        t.FinishFade();
        DrainMessages();
    };
    for (int i = 0; i < 5; ++i) {
        cycle();
    }
    Take();
    const Snapshot before = Take();
    const double start = Seconds();
    for (int i = 0; i < n.meterCycles; ++i) {
        cycle();
    }
    const double seconds = Seconds() - start;
    const Snapshot after = Take();
    PrintSnapshot("before", before);
    PrintSnapshot("after", after);
    printf("  (%.1f s, %.1f ms a cycle)\n", seconds, seconds * 1000 / n.meterCycles);
    summary.Add("meter create/teardown x%d: GDI objects %+d, private bytes %+lld, heap busy "
                "blocks %+lld",
                n.meterCycles, after.gdiObjects - before.gdiObjects,
                Growth(after.privateBytes, before.privateBytes),
                Growth(after.heap.blocks, before.heap.blocks));
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && strcmp(argv[1], "--quick") == 0;
    const Counts& n = quick ? kQuick : kFull;
    DeleteFileA(SettingsFilePath().c_str());
    Summary summary;
    if (!CheckCensuses()) {
        summary.Add("WARNING: the GDI or heap census missed an object; its counts below are "
                    "doubtful");
    }
    {
        MeterUnderTest t(OnBattery(57));
        if (!t.hwnd()) {
            printf("the meter window could not be created\n");
            return 1;
        }
        t.FinishFade();
        DrainMessages();
        ChangedRedraw(t.meter(), n, summary);
        fflush(stdout);
        RedrawAtScales(t.meter(), n, summary);
        ReplayedDay(t.meter(), summary);
        PollTicks(t.meter(), n, summary);
        fflush(stdout);
        UnchangedPoll(t.meter(), n, summary);
        fflush(stdout);
    }
    DrainMessages();
    Leaks(n, summary);
    DeleteFileA(SettingsFilePath().c_str());

    printf("\n== summary\n");
    for (const std::string& line : summary.lines) {
        printf("%s\n", line.c_str());
    }
    fflush(stdout);
    return 0;
}
