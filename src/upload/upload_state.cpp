// The program's screen-upload state (see upload_state.h).
#include "upload/upload_state.h"

UploadState& ScreenUpload() {
    static UploadState state;
    return state;
}
