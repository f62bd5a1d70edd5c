// sketchpad: a test-only drawing window, the simplest paint program there
// is.  A line follows the pointer while the left mouse button is held
// (WM_LBUTTONDOWN, WM_MOUSEMOVE with MK_LBUTTON, WM_LBUTTONUP); nothing is
// drawn while it is up.  Every mouse message it acts on is appended to the
// log file, if one is given, as one line in client coordinates:
//   D x y   the left button went down: a stroke starts
//   M x y   a move with the left button held: the stroke goes on
//   U x y   the left button went up: the stroke ends
//   H x y   a move with the button up: nothing drawn
//
// usage: sketchpad [X Y WIDTH HEIGHT [LOGFILE]]   (the window's outer rectangle;
//        without it, two thirds of the screen in its middle)
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "sketchpad.h"

static const int MAX_INK = 50000;

struct InkPoint {
    POINT At;
    bool StartsStroke;
};

struct SketchState {
    HANDLE Log;
    HPEN Pen;
    bool Drawing;
    int Count;
    InkPoint Ink[MAX_INK];
};

static SketchState Sketch;

static void LogMouse(char kind, LPARAM at)
{
    if (Sketch.Log == INVALID_HANDLE_VALUE)
        return;
    char line[48];
    int length = sprintf(line, "%c %d %d\r\n", kind, (short)LOWORD(at), (short)HIWORD(at));
    DWORD written;
    WriteFile(Sketch.Log, line, (DWORD)length, &written, NULL);
}

static void AddInk(HWND window, LPARAM at, bool startsStroke)
{
    POINT p = {(short)LOWORD(at), (short)HIWORD(at)};
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, Sketch.Pen);
    if (startsStroke || Sketch.Count == 0)
        MoveToEx(dc, p.x, p.y, NULL);
    else
        MoveToEx(dc, Sketch.Ink[Sketch.Count - 1].At.x, Sketch.Ink[Sketch.Count - 1].At.y,
                 NULL);
    LineTo(dc, p.x, p.y);
    if (startsStroke)
        LineTo(dc, p.x + 1, p.y);  // a dot where the stroke begins
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    if (Sketch.Count < MAX_INK) {
        Sketch.Ink[Sketch.Count].At = p;
        Sketch.Ink[Sketch.Count].StartsStroke = startsStroke;
        Sketch.Count++;
    }
}

static void PaintInk(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HGDIOBJ old = SelectObject(dc, Sketch.Pen);
    for (int i = 0; i < Sketch.Count; i++) {
        const POINT &p = Sketch.Ink[i].At;
        if (Sketch.Ink[i].StartsStroke) {
            MoveToEx(dc, p.x, p.y, NULL);
            LineTo(dc, p.x + 1, p.y);
        }
        LineTo(dc, p.x, p.y);
    }
    SelectObject(dc, old);
    EndPaint(window, &paint);
}

static LRESULT CALLBACK SketchWindowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        SetCapture(window);
        Sketch.Drawing = true;
        LogMouse(SKETCH_LOG_DOWN, lParam);
        AddInk(window, lParam, true);
        return 0;
    case WM_MOUSEMOVE:
        if (Sketch.Drawing && (wParam & MK_LBUTTON)) {
            LogMouse(SKETCH_LOG_MOVE, lParam);
            AddInk(window, lParam, false);
        } else {
            LogMouse(SKETCH_LOG_HOVER, lParam);
        }
        return 0;
    case WM_LBUTTONUP:
        if (Sketch.Drawing) {
            LogMouse(SKETCH_LOG_UP, lParam);
            AddInk(window, lParam, false);
            Sketch.Drawing = false;
        }
        ReleaseCapture();
        return 0;
    case WM_PAINT:
        PaintInk(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    int width = GetSystemMetrics(SM_CXSCREEN) * 2 / 3;
    int height = GetSystemMetrics(SM_CYSCREEN) * 2 / 3;
    int x = width / 4, y = height / 4;
    Sketch.Log = INVALID_HANDLE_VALUE;
    if (__argc > 4) {
        x = atoi(__argv[1]);
        y = atoi(__argv[2]);
        width = atoi(__argv[3]);
        height = atoi(__argv[4]);
    }
    if (__argc > 5) {
        Sketch.Log = CreateFileA(__argv[5], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (Sketch.Log == INVALID_HANDLE_VALUE)
            return 1;
    }
    Sketch.Pen = CreatePen(PS_SOLID, 4, RGB(25, 50, 150));

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SketchWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_CROSS);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszClassName = SKETCH_CLASS;
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowExA(0, SKETCH_CLASS, SKETCH_CAPTION,
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width, height,
                                  NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    SetForegroundWindow(window);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (Sketch.Log != INVALID_HANDLE_VALUE)
        CloseHandle(Sketch.Log);
    DeleteObject(Sketch.Pen);
    return 0;
}
