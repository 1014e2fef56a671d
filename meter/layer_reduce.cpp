#include "meter/layer_reduce.h"

#include "framework/lengths.h"

namespace {

constexpr int kPixelBytes = 3;
constexpr int kBlockShift = 4;  // a block is 16 samples

}  // namespace

void ReduceLayer(const uint8_t* const* faceRows, const uint8_t* const* maskRows, int layerSize,
                 uint8_t* layer) {
    const int faceSize = kFaceScale * layerSize;
    for (int k = 0; k < layerSize; ++k) {
        // Layer rows run bottom-up in memory, the tables top-down.
        const int top = faceSize - kFaceScale - kFaceScale * k;
        for (int x = 0; x < layerSize; ++x) {
            unsigned blue = 0, green = 0, red = 0, alpha = 0;
            for (int j = 0; j < kFaceScale; ++j) {
                const uint8_t* face = faceRows[top + j] + kPixelBytes * kFaceScale * x;
                const uint8_t* mask = maskRows[top + j] + kPixelBytes * kFaceScale * x;
                for (int i = 0; i < kPixelBytes * kFaceScale; i += kPixelBytes) {
                    blue += face[i], green += face[i + 1], red += face[i + 2];
                    alpha += mask[i + 1];  // the mask's green
                }
            }
            *layer++ = static_cast<uint8_t>(blue >> kBlockShift);
            *layer++ = static_cast<uint8_t>(green >> kBlockShift);
            *layer++ = static_cast<uint8_t>(red >> kBlockShift);
            *layer++ = static_cast<uint8_t>(alpha >> kBlockShift);
        }
    }
}
