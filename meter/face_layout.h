// How the meter face is drawn: its surfaces, fonts and text lines (their sizes are
// the DPI's, framework/lengths.h).
#ifndef SORVANE_FACE_LAYOUT_H
#define SORVANE_FACE_LAYOUT_H

#include <windows.h>

#include <string.h>

constexpr int kFaceBits = 24;
constexpr char kFontFace[] = "Arial";
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
