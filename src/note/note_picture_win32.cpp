// Saving a note drawing (see note_picture_win32.h). Note thread only.
#include "note/note_picture_win32.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cwchar>
#include <vector>

#include "common/platform/atomic_file_win32.h"
#include "common/platform/desktop_folder_win32.h"
#include "common/platform/directory_path_win32.h"
#include "common/ui/dib_surface_win32.h"
#include "note/note_overlay_win32.h"

namespace tesmora {

namespace {

constexpr ULONG kJpegQuality = 100;

bool FindJpegEncoder(CLSID& encoder) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    std::vector<uint8_t> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, L"image/jpeg") == 0) {
            encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

// The picture as JPEG bytes; empty when GDI+ has no JPEG encoder or refuses.
std::vector<uint8_t> EncodeJpeg(const DibSurface& dib) {
    CLSID encoder{};
    if (!FindJpegEncoder(encoder)) return {};
    // Over the surface's own pixels: its rows run bottom-up, so the first row is the last in memory.
    auto stride = static_cast<INT>(dib.RowStride());
    BYTE* top = dib.Bits() + static_cast<size_t>(dib.RowStride()) * static_cast<size_t>(dib.Height() - 1);
    Gdiplus::Bitmap picture(dib.Width(), dib.Height(), -stride, PixelFormat32bppRGB, top);
    if (picture.GetLastStatus() != Gdiplus::Ok) return {};
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return {};
    ULONG quality = kJpegQuality;
    Gdiplus::EncoderParameters parameters{};
    parameters.Count = 1;
    parameters.Parameter[0].Guid = Gdiplus::EncoderQuality;
    parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Value = &quality;
    std::vector<uint8_t> bytes;
    if (picture.Save(stream, &encoder, &parameters) == Gdiplus::Ok) {
        HGLOBAL memory = nullptr;
        STATSTG stat{};
        if (SUCCEEDED(::GetHGlobalFromStream(stream, &memory)) &&
            SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME))) {
            const void* data = ::GlobalLock(memory);
            if (data) {
                auto* begin = static_cast<const uint8_t*>(data);
                bytes.assign(begin, begin + stat.cbSize.QuadPart);
                ::GlobalUnlock(memory);
            }
        }
    }
    stream->Release();
    return bytes;
}

}  // namespace

std::wstring NoteSaveFolder() {
    return GetUserDesktopFolder(L"", nullptr) + L"\\NoteSave";
}

bool SaveNotePicture(const NoteOverlay& overlay, const std::wstring& folder, const std::wstring& name) {
    DibSurface picture;
    if (!picture.Create(overlay.Width(), overlay.Height(), 32)) return false;
    overlay.RenderTo(picture.Dc());
    ::GdiFlush();
    std::vector<uint8_t> jpeg = EncodeJpeg(picture);
    if (jpeg.empty()) return false;
    CreateDirectoryPath(folder);
    return WriteFileAtomically(folder + L"\\" + name, jpeg) == FileWriteResult::kWritten;
}

}  // namespace tesmora
