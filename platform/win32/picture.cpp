#include "platform/win32/picture.h"

#include <uxtheme.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <memory>

namespace talvex::win32 {
namespace {

using Microsoft::WRL::ComPtr;

constexpr UINT kGetHighlight = WM_USER + 1;
constexpr UINT kSetHighlight = WM_USER + 2;

inline void CloseBitmap(HBITMAP bitmap) {
    DeleteObject(bitmap);
}
using ScopedBitmap = ScopedHandle<NullInvalidTraits<HBITMAP, CloseBitmap>>;

// What a picture window keeps: the image made for its current size, made when first painted.
struct PictureState {
    ScopedIcon icon;
    ScopedBitmap bitmap;
    SIZE bitmapSize{};
    bool made = false;
    bool highlighted = false;
};

PictureState* State(HWND hwnd) {
    return reinterpret_cast<PictureState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

std::string ResourceName(HWND hwnd) {
    char name[64] = {};
    GetWindowTextA(hwnd, name, sizeof name);
    return name;
}

// WIC lives in COM. ole32 is loaded when the first picture is painted, not at start-up, and the
// thread joins the apartment then, for the life of the process.
struct Com {
    HRESULT(WINAPI* initialize)(void*, DWORD) = nullptr;
    HRESULT(WINAPI* createInstance)(REFCLSID, IUnknown*, DWORD, REFIID, void**) = nullptr;
    bool ready = false;

    Com() {
        HMODULE ole32 = LoadLibraryA("ole32.dll");
        if (!ole32) return;
        Load(ole32, "CoInitializeEx", initialize);
        Load(ole32, "CoCreateInstance", createInstance);
        if (!initialize || !createInstance) return;
        const HRESULT joined = initialize(nullptr, COINIT_APARTMENTTHREADED);
        ready = SUCCEEDED(joined) || joined == RPC_E_CHANGED_MODE;
    }
    template <typename F> static void Load(HMODULE module, const char* name, F& function) {
        function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

const Com& TheCom() {
    static const Com com;
    return com;
}

// A premultiplied 32-bit top-down DIB of the image, fitted into the box with its proportions
// kept. Whole-number enlargements repeat pixels so that a flag's edges stay sharp.
ScopedBitmap DecodeFitted(const void* data, DWORD bytes, SIZE box, SIZE& made) {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    ComPtr<IWICBitmapScaler> scaler;
    UINT width = 0, height = 0;
    if (!TheCom().ready ||
        FAILED(TheCom().createInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), bytes)) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height)) ||
        width == 0 || height == 0 || FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(factory->CreateBitmapScaler(&scaler)))
        return {};

    const bool wider =
        static_cast<long long>(box.cx) * height <= static_cast<long long>(box.cy) * width;
    made.cx = wider ? box.cx : MulDiv(static_cast<int>(width), box.cy, static_cast<int>(height));
    made.cy = wider ? MulDiv(static_cast<int>(height), box.cx, static_cast<int>(width)) : box.cy;
    if (made.cx <= 0 || made.cy <= 0) return {};
    const bool wholeNumber =
        made.cx % static_cast<int>(width) == 0 && made.cy % static_cast<int>(height) == 0;
    if (FAILED(scaler->Initialize(converter.Get(), static_cast<UINT>(made.cx),
                                  static_cast<UINT>(made.cy),
                                  wholeNumber ? WICBitmapInterpolationModeNearestNeighbor
                                              : WICBitmapInterpolationModeFant)))
        return {};

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = made.cx;
    info.bmiHeader.biHeight = -made.cy; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ScopedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const UINT stride = static_cast<UINT>(made.cx) * 4;
    if (!bitmap || FAILED(scaler->CopyPixels(nullptr, stride, stride * static_cast<UINT>(made.cy),
                                             static_cast<BYTE*>(bits))))
        return {};
    return bitmap;
}

// An icon resource gives the image nearest the size; an RCDATA resource is a GIF or PNG.
void MakeImage(HWND hwnd, PictureState& state) {
    state.made = true;
    RECT client{};
    GetClientRect(hwnd, &client);
    const SIZE box{client.right, client.bottom};
    if (box.cx <= 0 || box.cy <= 0) return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const std::string name = ResourceName(hwnd);
    if (FindResourceA(instance, name.c_str(), RT_GROUP_ICON)) {
        const int side = static_cast<int>(std::min(box.cx, box.cy));
        state.icon.reset(static_cast<HICON>(
            LoadImageA(instance, name.c_str(), IMAGE_ICON, side, side, LR_DEFAULTCOLOR)));
        return;
    }
    HRSRC resource = FindResourceA(instance, name.c_str(), RT_RCDATA);
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data)
        state.bitmap =
            DecodeFitted(data, SizeofResource(instance, resource), box, state.bitmapSize);
}

void Paint(HWND hwnd, PictureState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client{};
    GetClientRect(hwnd, &client);
    DrawThemeParentBackground(hwnd, dc, &client); // the picture has no background of its own
    if (!state.made) MakeImage(hwnd, state);
    if (state.icon) {
        const int side = std::min(client.right, client.bottom);
        DrawIconEx(dc, (client.right - side) / 2, (client.bottom - side) / 2, state.icon.get(),
                   side, side, 0, nullptr, DI_NORMAL);
    } else if (state.bitmap) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, state.bitmap.get());
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        const SIZE size = state.bitmapSize;
        GdiAlphaBlend(dc, (client.right - size.cx) / 2, (client.bottom - size.cy) / 2, size.cx,
                      size.cy, memory, 0, 0, size.cx, size.cy, blend);
        SelectObject(memory, old);
        DeleteDC(memory);
        // A flag with a white field would otherwise melt into a white page.
        if (GetWindowLongPtrA(hwnd, GWL_STYLE) & SS_SUNKEN) {
            const RECT image{(client.right - size.cx) / 2, (client.bottom - size.cy) / 2,
                             (client.right + size.cx) / 2, (client.bottom + size.cy) / 2};
            FrameRect(dc, &image, GetSysColorBrush(COLOR_BTNSHADOW));
        }
    }
    if (state.highlighted) DrawFocusRect(dc, &client);
    EndPaint(hwnd, &paint);
}

bool Clickable(HWND hwnd) {
    return (GetWindowLongPtrA(hwnd, GWL_STYLE) & SS_NOTIFY) != 0;
}

// A click is a press and a release inside the picture, as a button takes it.
void OnButtonUp(HWND hwnd, LPARAM lParam) {
    if (GetCapture() != hwnd) return;
    ReleaseCapture();
    RECT client{};
    GetClientRect(hwnd, &client);
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (!PtInRect(&client, at)) return;
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), STN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

void Forget(HWND hwnd, PictureState& state) {
    state.icon.reset();
    state.bitmap.reset();
    state.made = false;
    InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new PictureState));
    PictureState* state = State(hwnd);
    if (!state) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        delete state;
        return 0;
    case WM_ERASEBKGND: return 1; // painted whole in WM_PAINT
    case WM_PAINT: Paint(hwnd, *state); return 0;
    case WM_SIZE: Forget(hwnd, *state); return 0;
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
        Forget(hwnd, *state);
        return result;
    }
    case kGetHighlight: return state->highlighted;
    case kSetHighlight:
        state->highlighted = wParam != 0;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        if (Clickable(hwnd)) SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP: OnButtonUp(hwnd, lParam); return 0;
    case WM_SETCURSOR:
        if (!Clickable(hwnd)) break;
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
    case WM_NCHITTEST: return Clickable(hwnd) ? HTCLIENT : HTTRANSPARENT;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

void RegisterPictureClass() {
    static const bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PictureProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kPictureClassName;
        return RegisterClassExA(&wc) != 0;
    }();
    static_cast<void>(registered);
}

bool Win32Picture::Highlighted() const {
    return Send(kGetHighlight) != 0;
}

void Win32Picture::SetHighlighted(bool highlighted) {
    Send(kSetHighlight, highlighted ? 1 : 0);
}

} // namespace talvex::win32
