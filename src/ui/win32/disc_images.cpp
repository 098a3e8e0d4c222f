// The small images of the disc window, drawn with GDI so no bitmaps ship with the program.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <string>

#include "ui/win32/view_binders.h"

namespace tarvo {
namespace {

constexpr COLORREF kMask = RGB(255, 0, 255);

void Fill(HDC dc, COLORREF color, COLORREF outline, const POINT* points, int count) {
  HBRUSH brush = CreateSolidBrush(color);
  HPEN pen = CreatePen(PS_SOLID, 1, outline);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Polygon(dc, points, count);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

void Disc(HDC dc, int s) {
  HBRUSH silver = CreateSolidBrush(RGB(200, 208, 220));
  HPEN edge = CreatePen(PS_SOLID, 1, RGB(90, 100, 120));
  HGDIOBJ oldBrush = SelectObject(dc, silver);
  HGDIOBJ oldPen = SelectObject(dc, edge);
  Ellipse(dc, 0, 0, s, s);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  Ellipse(dc, s * 3 / 8, s * 3 / 8, s - s * 3 / 8, s - s * 3 / 8);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(silver);
  DeleteObject(edge);
}

void Folder(HDC dc, int s, bool open) {
  const COLORREF back = RGB(220, 170, 50), front = RGB(250, 210, 90), edge = RGB(150, 110, 20);
  const POINT body[] = {{0, s / 4}, {s * 3 / 8, s / 4}, {s / 2, s * 3 / 8}, {s - 1, s * 3 / 8},
                        {s - 1, s - 2}, {0, s - 2}};
  Fill(dc, back, edge, body, 6);
  if (open) {
    const POINT flap[] = {{s / 8, s / 2}, {s - 1, s / 2}, {s - 1 - s / 8, s - 2}, {0, s - 2}};
    Fill(dc, front, edge, flap, 4);
  }
}

void Page(HDC dc, int s) {
  const int fold = s / 4;
  const POINT sheet[] = {{s / 8, 0}, {s - 1 - s / 8 - fold, 0}, {s - 1 - s / 8, fold}, {s - 1 - s / 8, s - 1},
                         {s / 8, s - 1}};
  Fill(dc, RGB(255, 255, 255), RGB(90, 90, 90), sheet, 5);
  HPEN line = CreatePen(PS_SOLID, 1, RGB(120, 140, 180));
  HGDIOBJ old = SelectObject(dc, line);
  for (int y = s * 3 / 8; y < s - 2; y += s / 6) {
    MoveToEx(dc, s / 4, y, nullptr);
    LineTo(dc, s - s / 4, y);
  }
  SelectObject(dc, old);
  DeleteObject(line);
}

}  // namespace

HIMAGELIST MakeDiscImages(UINT dpi) {
  const int s = MulDiv(16, static_cast<int>(dpi), 96);
  HIMAGELIST list = ImageList_Create(s, s, ILC_COLOR24 | ILC_MASK, 4, 0);
  if (!list) return nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  for (int image = 0; image < 4; ++image) {
    HBITMAP bitmap = CreateCompatibleBitmap(screen, s, s);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, s, s};
    HBRUSH mask = CreateSolidBrush(kMask);
    FillRect(dc, &all, mask);
    DeleteObject(mask);
    if (image == 0) Disc(dc, s);
    if (image == 1 || image == 2) Folder(dc, s, image == 2);
    if (image == 3) Page(dc, s);
    SelectObject(dc, old);
    ImageList_AddMasked(list, bitmap, kMask);
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return list;
}

int DiscImageIndex(const std::string& key) {
  static const char* const kKeys[] = {"CD", "CLOSEDFOLDER", "OPENFOLDER", "FILE"};
  for (int i = 0; i < 4; ++i)
    if (key == kKeys[i]) return i;
  return -1;
}

}  // namespace tarvo
