// The class library's device context: a thin owner of an HDC.
#pragma once
#include "skelvane/gdi.h"

class CDC {
public:
    HDC m_hDC = nullptr;

    CDC() = default;
    CDC(const CDC &) = delete;
    CDC &operator=(const CDC &) = delete;
    // Deletes the DC only when this object created it.
    virtual ~CDC()
    {
        if (owned_ && m_hDC)
            ::DeleteDC(m_hDC);
    }

    BOOL CreateCompatibleDC(CDC *reference)
    {
        if (m_hDC)
            return FALSE;
        m_hDC = ::CreateCompatibleDC(reference ? reference->m_hDC : nullptr);
        owned_ = m_hDC != nullptr;
        return m_hDC ? TRUE : FALSE;
    }
    BOOL DeleteDC()
    {
        if (!m_hDC)
            return FALSE;
        BOOL done = owned_ ? ::DeleteDC(m_hDC) : TRUE;
        m_hDC = nullptr;
        owned_ = false;
        return done;
    }
    // Wraps a DC that stays its owner's (a window's or an image's).
    BOOL Attach(HDC dc)
    {
        if (m_hDC || !dc)
            return FALSE;
        m_hDC = dc;
        owned_ = false;
        return TRUE;
    }
    HDC Detach()
    {
        HDC dc = m_hDC;
        m_hDC = nullptr;
        owned_ = false;
        return dc;
    }
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }

    void FillSolidRect(const RECT *rect, COLORREF color) { ::skel_fill_rect(m_hDC, rect, color); }
    void FillSolidRect(const RECT &rect, COLORREF color) { ::skel_fill_rect(m_hDC, &rect, color); }
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
    {
        RECT r{x, y, x + cx, y + cy};
        ::skel_fill_rect(m_hDC, &r, color);
    }

    BOOL BitBlt(int x, int y, int width, int height, CDC *source, int xs, int ys, DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xs, ys, rop);
    }
    BOOL StretchBlt(int x, int y, int width, int height, CDC *source, int xs, int ys, int ws, int hs,
                    DWORD rop)
    {
        return ::StretchBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xs, ys, ws,
                            hs, rop);
    }
    int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
    int GetStretchBltMode() const { return ::GetStretchBltMode(m_hDC); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

private:
    bool owned_ = false;
};
