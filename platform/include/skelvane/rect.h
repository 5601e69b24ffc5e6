// Rectangles in pixels: the plain RECT and the class library's CRect.
#pragma once
#include "skelvane/wintypes.h"

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    CRect(const RECT &r) : RECT(r) {}

    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    SIZE Size() const { return SIZE{Width(), Height()}; }
    POINT TopLeft() const { return POINT{left, top}; }
    POINT BottomRight() const { return POINT{right, bottom}; }

    // Empty when it has no positive width or height.
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }

    void SetRect(LONG l, LONG t, LONG r, LONG b)
    {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    void SetRectEmpty() { SetRect(0, 0, 0, 0); }
    void OffsetRect(LONG dx, LONG dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }

    operator RECT *() { return this; }
    operator const RECT *() const { return this; }

    friend bool operator==(const CRect &a, const CRect &b)
    {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
    friend bool operator!=(const CRect &a, const CRect &b) { return !(a == b); }
};
