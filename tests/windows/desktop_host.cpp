#include "desktop_host.h"

DesktopHost::DesktopHost() {
    if (DirectDrawCreate(nullptr, &directDraw_, nullptr) != DD_OK) return;
    directDraw_->SetCooperativeLevel(GetDesktopWindow(), DDSCL_NORMAL);
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    directDraw_->CreateSurface(&desc, &primary_, nullptr);
}

DesktopHost::~DesktopHost() {
    if (primary_ != nullptr) primary_->Release();
    if (directDraw_ != nullptr) directDraw_->Release();
}

void DesktopHost::fill(const RECT &rect, DWORD colour) {
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = colour;
    RECT target = rect;
    primary_->Blt(&target, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

namespace {

const char kWindowClass[] = "VidsurfTestWindow";

void RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    (void)registered;
}

}  // namespace

HostWindow::HostWindow(int left, int top, int width, int height) {
    RegisterWindowClass();
    hwnd_ = CreateWindowExA(WS_EX_TOPMOST, kWindowClass, "vidsurf test", WS_POPUP | WS_VISIBLE, left, top, width,
                            height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    pumpMessages();
}

HostWindow::~HostWindow() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    pumpMessages();
}

void HostWindow::moveTo(int left, int top) {
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    pumpMessages();
}

RECT HostWindow::screenRect() const {
    RECT rect = {};
    GetClientRect(hwnd_, &rect);
    POINT origin = {0, 0};
    ClientToScreen(hwnd_, &origin);
    OffsetRect(&rect, origin.x, origin.y);
    return rect;
}

void HostWindow::pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

ULONG ReferencesOf(IUnknown *object) {
    object->AddRef();
    return object->Release();
}
