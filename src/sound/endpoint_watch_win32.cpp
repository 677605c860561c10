// The default-endpoint watch (see endpoint_watch_win32.h).
#include "sound/endpoint_watch_win32.h"

#include <mmdeviceapi.h>

#include <atomic>
#include <cstdio>

#include "common/platform/debug_print_win32.h"
#include "common/window_messages.h"
#include "sound/audio_ids_win32.h"

namespace tesmora {

namespace {

constexpr GUID kNotificationClientInterface = {
    0x7991EEC9, 0x7E89, 0x4D85, {0x83, 0x90, 0x6C, 0x70, 0x3C, 0xEC, 0x60, 0xC0}};

}  // namespace

// The system's callback object. Free-threaded: it reads only what never changes after creation.
class EndpointNotifier : public IMMNotificationClient {
public:
    EndpointNotifier(HWND panel, EDataFlow flow) : panel_(panel), flow_(flow) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        if (::IsEqualGUID(id, IID_IUnknown) || ::IsEqualGUID(id, kNotificationClientInterface)) {
            *object = static_cast<IMMNotificationClient*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override {
        char line[64];
        std::snprintf(line, sizeof line, "default device changed flow=%d role=%d", static_cast<int>(flow),
                      static_cast<int>(role));
        TraceStep("sound", line);
        if (flow == flow_ && role == eConsole)
            ::PostMessageW(panel_, WM_SOUND_DEVICE_CHANGED, kCrossThreadCheck, 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

private:
    virtual ~EndpointNotifier() = default;

    const HWND panel_;
    const EDataFlow flow_;
    std::atomic<ULONG> references_{1};
};

bool EndpointWatch::Watch(HWND panel, SoundSource source) {
    Stop();
    HRESULT hr = ::CoCreateInstance(kDeviceEnumeratorClass, nullptr, CLSCTX_ALL, kDeviceEnumeratorInterface,
                                    reinterpret_cast<void**>(&enumerator_));
    if (FAILED(hr) || !enumerator_) {
        enumerator_ = nullptr;
        return false;
    }
    notifier_ = new EndpointNotifier(panel, source == SoundSource::kPlaybackLoopback ? eRender : eCapture);
    if (FAILED(enumerator_->RegisterEndpointNotificationCallback(notifier_))) {
        Stop();
        return false;
    }
    return true;
}

void EndpointWatch::Stop() {
    if (enumerator_ && notifier_) enumerator_->UnregisterEndpointNotificationCallback(notifier_);
    if (notifier_) notifier_->Release();
    notifier_ = nullptr;
    if (enumerator_) enumerator_->Release();
    enumerator_ = nullptr;
}

}  // namespace tesmora
