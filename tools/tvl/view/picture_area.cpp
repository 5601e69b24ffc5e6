#include "picture_area.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include "skelvane/image.h"
#include "skelvane/window.h"
#include "tavrel_viewer.h"

picture_area::picture_area(int x, int y, int w, int h, cl_export_functions &viewer)
    : Fl_Widget(x, y, w, h), viewer_(viewer)
{
}

picture_area::~picture_area()
{
    if (window_ != nullptr)
        DestroyWindow(window_);
}

void picture_area::changed()
{
    stale_ = true;
    redraw();
}

void picture_area::draw()
{
    if (w() <= 0 || h() <= 0)
        return;
    if (window_ == nullptr || window_w_ != w() || window_h_ != h()) {
        if (window_ != nullptr)
            DestroyWindow(window_);
        window_ = skel_create_offscreen_window(w(), h());
        window_w_ = w();
        window_h_ = h();
        stale_ = true;
    }
    if (window_ == nullptr) {
        fl_rectf(x(), y(), w(), h(), FL_WHITE);
        return;
    }
    if (stale_) {
        viewer_.RemakeImage(window_);
        // The window's image is a DIB: BGR, rows a pitch apart; FLTK takes RGB.
        const CImage &image = *skel_window_image(window_);
        rgb_.resize(static_cast<std::size_t>(w()) * h() * 3);
        const auto *top = static_cast<const unsigned char *>(image.GetBits());
        for (int row = 0; row < h(); ++row) {
            const unsigned char *in = top + static_cast<long>(image.GetPitch()) * row;
            unsigned char *out = &rgb_[static_cast<std::size_t>(row) * w() * 3];
            for (int col = 0; col < w(); ++col, in += 3, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        }
        stale_ = false;
    }
    fl_draw_image(rgb_.data(), x(), y(), w(), h(), 3, 0);
}

int picture_area::handle(int event)
{
    switch (event) {
    case FL_PUSH:
        drag_x_ = Fl::event_x();
        drag_y_ = Fl::event_y();
        take_focus();
        return 1;
    case FL_DRAG: {
        const int dx = Fl::event_x() - drag_x_;
        const int dy = Fl::event_y() - drag_y_;
        drag_x_ = Fl::event_x();
        drag_y_ = Fl::event_y();
        if (dx == 0 && dy == 0)
            return 1;
        const int turned = viewer_.SendDragDistance(dx, dy);
        if (turned >= 0) {
            changed();
            if (on_turn)
                on_turn(turned);
        }
        return 1;
    }
    case FL_RELEASE:
        return 1;
    case FL_FOCUS:
    case FL_UNFOCUS:
        return 1;
    case FL_KEYBOARD:
        return on_key && on_key(Fl::event_key()) ? 1 : 0;
    default:
        return Fl_Widget::handle(event);
    }
}
