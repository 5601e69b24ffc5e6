// The picture side of the view window: a host's window for the viewer.  Each
// paint asks the viewer for the picture (RemakeImage into an off-screen
// window of the area's size, which DrawImageInWindow fills) and shows it.
#pragma once
#include <FL/Fl_Widget.H>

#include <functional>
#include <vector>

#include "skelvane/wintypes.h"

class cl_export_functions;

class picture_area : public Fl_Widget {
public:
    picture_area(int x, int y, int w, int h, cl_export_functions &viewer);
    ~picture_area() override;
    picture_area(const picture_area &) = delete;
    picture_area &operator=(const picture_area &) = delete;

    // The camera or the symbol changed: paint anew.
    void changed();
    // Called after a drag turned the camera, with the viewer's answer.
    std::function<void(int)> on_turn;
    // Called with a key the area does not use itself.
    std::function<bool(int)> on_key;

protected:
    void draw() override;
    int handle(int event) override;

private:
    cl_export_functions &viewer_;
    HWND window_ = nullptr;
    int window_w_ = 0;
    int window_h_ = 0;
    bool stale_ = true;
    std::vector<unsigned char> rgb_;
    int drag_x_ = 0;
    int drag_y_ = 0;
};
