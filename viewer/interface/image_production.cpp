// RemakeImage and GetImage with a library and block: load the block when it
// changed, set up the camera and render.
#include <algorithm>

#include "interface/block_loader.h"
#include "interface/image_production.h"
#include "render/scene_functions.h"
#include "state/drawing_mode.h"
#include "state/render_settings.h"
#include "state/viewer_settings.h"
#include "tavrel_viewer.h"

namespace {

bool block_changed(const cl_export_functions &viewer)
{
    // Without a scene (after DeleteObjects) the block has to be loaded again.
    return current_scene == nullptr || library_path != viewer.loaded_library.str() ||
           block_name != viewer.loaded_block.str() || loaded_drawing_mode != drawing_mode;
}

// The colour as the renderer's reals, red, green, blue.
fpt color_reals(COLORREF color)
{
    return {GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0};
}

void set_background(COLORREF color)
{
    const fpt c = color_reals(color);
    current_scene->SetBackground(c.x, c.y, c.z);
}

bool has_background(const cl_opengl_image &scene, COLORREF color)
{
    const fpt c = color_reals(color);
    return scene.background_r == c.x && scene.background_g == c.y && scene.background_b == c.z;
}

void set_up_camera(int width, int height, COLORREF background)
{
    const fpt dir = view_direction(camera_rotation, camera_tilt);
    current_scene->SetImageSize(width, height);
    current_scene->SetViewDirection(dir.x, dir.y, dir.z);
    set_background(background);
}

// render_image takes over the bitmap; picture_rect becomes its extent.
void keep_render(cl_export_functions &viewer, HBITMAP bitmap)
{
    delete render_image;
    render_image = new CImage;
    render_image->Attach(bitmap);
    viewer.picture_rect.SetRect(0, 0, render_image->GetWidth(), render_image->GetHeight());
}

// Records the block as loaded (also when loading failed, so it is not retried)
// and renders it into render_image; false when there is no picture.
bool render_loaded_block(cl_export_functions &viewer)
{
    viewer.loaded_library = library_path;
    viewer.loaded_block = block_name;
    HBITMAP bitmap = current_scene->Render();
    if (bitmap == nullptr)
        return false;
    keep_render(viewer, bitmap);
    return true;
}

// The bitmap goes back to the platform; the wrapper stays, empty.
void drop_render()
{
    HBITMAP bitmap = render_image->Detach();
    if (bitmap != nullptr)
        DeleteObject(bitmap);
}

// Renders the loaded scene at the target's size and copies it in; false when
// there is no picture (the target is then untouched).
bool render_into(cl_export_functions &viewer, CImage *target)
{
    if (!render_loaded_block(viewer))
        return false;
    HDC target_dc = target->GetDC();
    render_image->BitBlt(target_dc, 0, 0, target->GetWidth(), target->GetHeight(), 0, 0, SRCCOPY);
    target->ReleaseDC();
    drop_render();
    return true;
}

} // namespace

void change_scene()
{
    delete_current_scene();
    delete render_image;
    render_image = nullptr;
    replace_current_scene().SetLighting(0.7, 0.5);
}

fpt view_direction(int rotation, int tilt)
{
    return fpt_rotate_z(fpt_rotate_x(fpt{0.0, 1.0, 0.0}, tilt), rotation);
}

int cl_export_functions::RemakeImage(HWND window)
{
    if (library_path.empty())
        return 2;
    if (block_name.empty())
        return 3;
    if (window == nullptr)
        return 1;

    RECT client_rect{0, 0, 0, 0};
    GetClientRect(window, &client_rect);
    const CRect client(client_rect);
    const int side = std::min(client.Width(), client.Height());

    const bool changed = block_changed(*this);
    if (changed)
        change_scene();
    set_up_camera(2 * side, 2 * side, background);
    if (changed) {
        current_scene->Reset(false);
        load_block_definition(library_path.c_str(), block_name.c_str());
    }
    if (!render_loaded_block(*this))
        return 1;

    if (picture != nullptr) {
        picture->Destroy();
        delete picture;
    }
    picture = new CImage;
    picture->Create(render_image->GetWidth(), render_image->GetHeight(), 24);
    HDC picture_dc = picture->GetDC();
    render_image->BitBlt(picture_dc, 0, 0, SRCCOPY);
    picture->ReleaseDC();

    HDC window_dc = GetDC(window);
    CDC dc;
    dc.Attach(window_dc);
    DrawImageInWindow(&dc, client);
    dc.Detach();
    ReleaseDC(window, window_dc);

    drop_render();
    return 1;
}

int cl_export_functions::GetImage(CString library, CString block, double, double, CImage *target)
{
    library_path = library.str();
    block_name = block.str();
    if (library_path.empty())
        return 2;
    if (block_name.empty())
        return 3;
    if (target == nullptr || target->IsNull())
        return 0;

    if (block_changed(*this))
        change_scene();
    set_up_camera(target->GetWidth(), target->GetHeight(), background);
    current_scene->Reset(false);
    load_block_definition(library_path.c_str(), block_name.c_str());
    render_into(*this, target);
    return 0;
}

int cl_export_functions::LoadSymbol()
{
    if (library_path.empty())
        return 2;
    if (block_name.empty())
        return 3;
    if (block_changed(*this)) {
        // One scene, and so one rendering context, serves symbol after symbol; the
        // context takes its clear colour when it is made, so a new background
        // needs a new scene.
        if (current_scene == nullptr || !has_background(*current_scene, background))
            change_scene();
        set_background(background);
        current_scene->Reset(false);
        load_block_definition(library_path.c_str(), block_name.c_str());
        // The bitmap Reset made has no picture's size yet; the next picture makes its own.
        current_scene->DropBitmap();
        // Recorded as RemakeImage would, so that the next picture keeps this scene.
        loaded_library = library_path;
        loaded_block = block_name;
    }
    return last_load_result;
}

int cl_export_functions::GetSceneExtent(double low[3], double high[3]) const
{
    if (current_scene == nullptr || low == nullptr || high == nullptr)
        return 0;
    const fpt_box box = current_scene->Bounds(true, true);
    if (box.empty)
        return 0;
    low[0] = box.low.x;
    low[1] = box.low.y;
    low[2] = box.low.z;
    high[0] = box.high.x;
    high[1] = box.high.y;
    high[2] = box.high.z;
    return 1;
}

int cl_export_functions::RenderImage(CImage *target)
{
    const int loaded = LoadSymbol();
    if (loaded == 2 || loaded == 3)
        return loaded;
    if (target == nullptr || target->IsNull())
        return -1;
    set_up_camera(target->GetWidth(), target->GetHeight(), background);
    // Only the bitmap is renewed for the target's size; the geometry stays.
    if (!current_scene->Reset(true))
        return -1;
    return render_into(*this, target) ? 0 : -1;
}
