// How the meter face is drawn: its surfaces, fonts and text lines. Shared by the
// drawing code and by the benchmark that measures the drawing against its texts.
#ifndef SORVANE_FACE_LAYOUT_H
#define SORVANE_FACE_LAYOUT_H

#include <windows.h>

#include <string.h>

constexpr int kFaceBits = 24;
constexpr int kBigFontHeight = 61;
constexpr int kSmallFontHeight = 53;
constexpr char kFontFace[] = "Arial";
constexpr int kPercentTop = 68;
constexpr int kStatusTop = 132;
constexpr int kOutlineFrom = -4;  // 8 x 8 offset draws make an 8-pixel outline
constexpr int kOutlineTo = 3;
// DT_BOTTOM has no effect without DT_SINGLELINE; both lines hang from their top.
constexpr UINT kTextFormat = DT_CENTER | DT_BOTTOM;

// The face's fonts: bold for the percentage, regular for the status, both italic.
inline LOGFONTA FaceFont(LONG height, LONG weight) {
    LOGFONTA font;
    memset(&font, 0, sizeof(font));
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfItalic = 1;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_OUTLINE_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = PROOF_QUALITY;
    lstrcpynA(font.lfFaceName, kFontFace, sizeof(font.lfFaceName));
    return font;
}

#endif
