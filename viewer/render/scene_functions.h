// The scene that a block is loaded into: its owner, and the functions through
// which the entity converters add to it.
#pragma once
#include "render/cl_opengl_image.h"
#include "skelvane/cstring.h"
#include "state/current_scene.h"

// The scene must exist while a block is being loaded; it is made and deleted
// only by these two.
// Deletes the current scene, if any, and makes a new, empty one current.
cl_opengl_image &replace_current_scene();
// Deletes the current scene, if any (its rendering context and bitmaps with it).
void delete_current_scene();

// Colours are given as red, green, blue; only the low byte of each counts.
// The layer name is accepted for the converters' convenience and not used.
void scene_add_line(double x1, double y1, double z1, double x2, double y2, double z2,
                    CString layer, int red, int green, int blue);
void scene_add_triangle(double x1, double y1, double z1, double x2, double y2, double z2,
                        double x3, double y3, double z3, CString layer, int red, int green,
                        int blue);
// Two triangles: (p1, p2, p3) and (p3, p4, p1).
void scene_add_quad(double x1, double y1, double z1, double x2, double y2, double z2, double x3,
                    double y3, double z3, double x4, double y4, double z4, CString layer, int red,
                    int green, int blue);
void scene_add_point(double x, double y, double z, CString layer);
