// Decodes the JPEG strip of an image frame and places its parts into the screen image, band by band:
// each few decoded strip rows go straight to their parts' places, so no full-size strip is made,
// and a strip that is one run of neighbouring parts decodes straight into the screen image.
// libjpeg-turbo, baseline and any other JPEG it reads. Receiver thread (one object per thread); the
// caller holds the screen image's lock while it places.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "transport/image_frame.h"

namespace tesmora {

enum class PlaceOutcome {
    kPlaced,       // every part drawn; a strip narrower or lower than its parts leaves the rest black
    kUndecodable,  // the JPEG data does not decode, or the frame names more parts than the grid has:
                   // the frame's parts are painted black
    kNotPlaced,    // no grid yet, a part number outside it, or a screen smaller than it: nothing drawn
};

class StripDecoder {
public:
    StripDecoder();
    ~StripDecoder();
    StripDecoder(const StripDecoder&) = delete;
    StripDecoder& operator=(const StripDecoder&) = delete;

    // Decodes `jpeg` and copies strip columns i x part width (one part wide and high) to the place of
    // the i-th part number on `screen`.
    PlaceOutcome DecodeAndPlace(const uint8_t* jpeg, size_t length, const std::vector<uint32_t>& parts,
                                const PartGrid& grid, const PixelView& screen);

    // libjpeg's state and the band, kept out of this header.
    struct Codec;

private:
    std::unique_ptr<Codec> codec_;
};

}  // namespace tesmora
