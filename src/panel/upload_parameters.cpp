// Upload parameters and their announcement (see upload_parameters.h).
#include "panel/upload_parameters.h"

#include "session/command_tag.h"
#include "session/payload_fields.h"

namespace tesmora {

UploadParameters FullScreenUploadParameters(int width, int height) {
    UploadParameters parameters;
    parameters.left = 0;
    parameters.top = 0;
    parameters.right = width - 1;
    parameters.bottom = height - 1;
    parameters.width = width;
    parameters.height = height;
    parameters.quality = kUploadImageQuality;
    return parameters;
}

std::u16string UploadParametersText(const UploadParameters& parameters) {
    std::u16string text(kTagUploadSettings);
    text += DecimalText(parameters.width);
    text += u',';
    text += DecimalText(parameters.height);
    text += parameters.windowMode ? u",window" : u",full";
    text += parameters.centre ? u",center" : u",resize";
    return text;
}

}  // namespace tesmora
