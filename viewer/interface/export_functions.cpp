// The viewer object: settings, block list, camera drag and the hand-over of
// the last picture.  Pictures are produced in image_production.cpp.
#include <cmath>

#include "conversion/entity_callbacks.h"
#include "render/scene_functions.h"
#include "state/cl_viewer_app.h"
#include "state/drawing_mode.h"
#include "state/render_settings.h"
#include "state/viewer_settings.h"
#include "support/layer_color_table.h"
#include "tavrel_viewer.h"
#include "tvlaccess.h"

namespace {

// Truncation toward zero; values beyond the int range are pinned to it.
int whole_degrees(double degrees)
{
    if (std::isnan(degrees))
        return 0;
    const double t = std::trunc(degrees);
    if (t >= 2147483647.0)
        return 2147483647;
    if (t <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(t);
}

} // namespace

cl_export_functions::cl_export_functions() = default;

cl_export_functions::~cl_export_functions() = default;

int cl_export_functions::SetLibrary(const char *path)
{
    library_path = path != nullptr ? path : "";
    return 0;
}

int cl_export_functions::SetBlockName(const char *name)
{
    block_name = name != nullptr ? name : "";
    return 0;
}

int cl_export_functions::SetLayerColorFile(const char *file)
{
    cl_viewer_app &app = viewer_app();
    app.layer_color_file = file != nullptr ? file : "";
    LoadLayerColorFile(app.layer_color_file.c_str());
    return 1;
}

void cl_export_functions::SetBackgroundColor(unsigned long color)
{
    background = static_cast<COLORREF>(color);
}

void cl_export_functions::SetShowLines(int on)
{
    show_lines = on;
}

int cl_export_functions::SetDrawingMode(int mode)
{
    if (mode == drawing_mode_classic || mode == drawing_mode_full ||
        mode == drawing_mode_full_line_types)
        drawing_mode = mode;
    return drawing_mode;
}

void cl_export_functions::SetFitLines(int on)
{
    fit_lines = on;
}

void cl_export_functions::SetScaledLineWidth(int on)
{
    scaled_line_width = on;
}

int cl_export_functions::GetLoadResult() const
{
    return last_load_result;
}

void cl_export_functions::SetCameraRotation(double degrees)
{
    camera_rotation = whole_degrees(degrees);
}

void cl_export_functions::SetCameraTilt(double degrees)
{
    camera_tilt = whole_degrees(degrees);
}

int cl_export_functions::SendDragDistance(int dx, int dy)
{
    if (picture_rect.IsRectEmpty())
        return -1;
    // Wide arithmetic so that extreme drags cannot overflow; the results are
    // brought back into range below.
    long long tilt = static_cast<long long>(camera_tilt) - dy;
    // Upside down the horizontal drag turns the other way.
    const long long h = (tilt >= -270 && tilt <= -91) ? -static_cast<long long>(dx) : dx;
    long long rotation = static_cast<long long>(camera_rotation) - h;
    tilt = ((tilt + 270) % 360 + 360) % 360 - 270;
    rotation = ((rotation + 180) % 360 + 360) % 360 - 180;
    camera_tilt = static_cast<int>(tilt);
    camera_rotation = static_cast<int>(rotation);
    return camera_rotation + 360;
}

int cl_export_functions::GetBlockList(CStringArray *list)
{
    if (library_path.empty())
        return 0;
    resbuf *names = ta_tvllist(library_path.c_str());
    for (const resbuf *rb = names; rb != nullptr; rb = rb->next)
        block_name_list.Add(CString(rb->value.string));
    ta_relrb(names);
    if (list == nullptr)
        return 0;
    for (const CString &name : block_name_list)
        list->Add(name);
    return static_cast<int>(list->GetSize());
}

int cl_export_functions::ClearImage()
{
    picture_rect.SetRectEmpty();
    return 0;
}

void cl_export_functions::ClearLastBlock()
{
    loaded_block.Empty();
}

int cl_export_functions::DeleteObjects()
{
    if (picture != nullptr) {
        picture->Destroy();
        delete picture;
        picture = nullptr;
    }
    delete_current_scene();
    if (render_image != nullptr) {
        delete render_image;
        render_image = nullptr;
    }
    return 1;
}

CString cl_export_functions::SayHello(CString name)
{
    return CString("Hello ") + name;
}

int cl_export_functions::GetImage(CImage *target)
{
    if (library_path.empty())
        return 2;
    if (block_name.empty())
        return 3;
    if (picture == nullptr || picture->IsNull() || target == nullptr || target->IsNull())
        return 0;
    HDC dc = target->GetDC();
    picture->StretchBlt(dc, 0, 0, target->GetWidth(), target->GetHeight(), SRCCOPY);
    target->ReleaseDC();
    return 0;
}

int cl_export_functions::DrawImageInWindow(CDC *dc, CRect area)
{
    if (dc == nullptr)
        return 0;
    dc->FillSolidRect(&area, background);
    if (picture_rect.IsRectEmpty() || area.IsRectEmpty())
        return 0;
    const LONG d = area.Height() - area.Width();
    if (d > 0) {
        area.top += d / 2;
        area.bottom -= d - d / 2;
    } else if (d < 0) {
        const LONG e = -d;
        area.left += e / 2;
        area.right -= e - e / 2;
    }
    if (picture != nullptr && !picture->IsNull())
        picture->StretchBlt(dc->GetSafeHdc(), area, picture_rect, SRCCOPY);
    return 1;
}
