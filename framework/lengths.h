// Every length of the meter, its About splash and its default place at one DPI, in
// one plain value: a DPI change is one recomputation. Free of Win32. At 96 DPI
// (100 %) these are the gadget's design sizes.
#ifndef SORVANE_LENGTHS_H
#define SORVANE_LENGTHS_H

constexpr int kDesignDpi = 96;
constexpr int kMaxDpi = 480;      // 500 %, the most Windows offers
constexpr int kFaceScale = 4;     // the face is drawn at 4x the window and box-reduced
constexpr int kDesignLayer = 60;  // the window at 96 DPI

struct Lengths {
    int dpi;
    int layer;    // the window, square
    int face;     // the face and the mask, square: kFaceScale x layer
    int bigFont;  // cell heights of the two text lines on the face
    int smallFont;
    int percentTop;  // where each line hangs from, on the face
    int statusTop;
    int outlineFrom;  // outline offsets on the face, from..to inclusive
    int outlineTo;
    int rightInset;  // default place: work area right - rightInset, top + topInset
    int topInset;
    int aboutWidth;  // the About picture as shown
    int aboutHeight;
    int aboutLift;  // the splash sits this far above the centre
};

// What MulDiv(value, numerator, denominator) gives: rounded to nearest, halves away
// from zero. denominator > 0.
int MulDivRound(int value, int numerator, int denominator);

// MulDiv(length, dpi, 96): a length of the design at another DPI.
inline int ScaleLength(int length, int dpi) { return MulDivRound(length, dpi, kDesignDpi); }

// dpi outside 96..480 is taken as the nearest end.
Lengths LengthsAt(int dpi);

#endif
