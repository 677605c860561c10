// The single-instance count (see single_instance_win32.h). The counter lives in a data section that
// the loader shares between all processes of this program file, so it needs no named kernel object.
#include "app/single_instance_win32.h"

#include <windows.h>

namespace tesmora {

namespace {

volatile LONG gInstanceCount __attribute__((section(".shared"), shared)) = 0;

}  // namespace

bool SingleInstance::Enter() {
    if (counted_) return Count() == 1;
    counted_ = true;
    return ::InterlockedIncrement(&gInstanceCount) == 1;
}

void SingleInstance::Leave() {
    if (!counted_) return;
    counted_ = false;
    ::InterlockedDecrement(&gInstanceCount);
}

long SingleInstance::Count() {
    return ::InterlockedCompareExchange(&gInstanceCount, 0, 0);
}

}  // namespace tesmora
