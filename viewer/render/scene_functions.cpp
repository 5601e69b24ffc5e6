// The current scene's owner and the converters' way into it.
#include "render/scene_functions.h"

cl_opengl_image &replace_current_scene()
{
    delete_current_scene();
    current_scene = new cl_opengl_image;
    return *current_scene;
}

void delete_current_scene()
{
    delete current_scene;
    current_scene = nullptr;
}

void scene_add_line(double x1, double y1, double z1, double x2, double y2, double z2, CString,
                    int red, int green, int blue)
{
    if (current_scene)
        current_scene->AddLine(x1, y1, z1, x2, y2, z2, RGB(red, green, blue));
}

void scene_add_triangle(double x1, double y1, double z1, double x2, double y2, double z2,
                        double x3, double y3, double z3, CString, int red, int green, int blue)
{
    if (current_scene)
        current_scene->AddTriangle(x1, y1, z1, x2, y2, z2, x3, y3, z3, RGB(red, green, blue), 0);
}

void scene_add_quad(double x1, double y1, double z1, double x2, double y2, double z2, double x3,
                    double y3, double z3, double x4, double y4, double z4, CString, int red,
                    int green, int blue)
{
    if (!current_scene)
        return;
    COLORREF color = RGB(red, green, blue);
    current_scene->AddTriangle(x1, y1, z1, x2, y2, z2, x3, y3, z3, color, 0);
    current_scene->AddTriangle(x3, y3, z3, x4, y4, z4, x1, y1, z1, color, 0);
}

void scene_add_point(double x, double y, double z, CString)
{
    if (current_scene)
        current_scene->AddPoint(x, y, z);
}
