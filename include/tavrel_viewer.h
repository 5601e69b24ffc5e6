// Tavrel_Viewer: shows one symbol of a symbol library as a lit 3D picture.
//
// A host creates a cl_export_functions object, names the library and the
// symbol, sets colours and the camera, and asks for pictures.  Library path,
// symbol name, camera, show-lines switch, layer colour file and the loaded
// scene are shared by every object of the process; the last picture and the
// background colour belong to the object.  Call from one thread.
#pragma once
#include "skelvane_version.h"
#include "skelvane/cstring.h"
#include "skelvane/dc.h"
#include "skelvane/image.h"
#include "skelvane/rect.h"
#include "skelvane/window.h"
#include "skelvane/wintypes.h"

#define TAVREL_VIEWER_API __attribute__((visibility("default")))

// Drawing modes for cl_export_functions::SetDrawingMode.
#define TAVREL_MODE_CLASSIC 0 // faces, points, lines, circles, polylines, meshes, solids
#define TAVREL_MODE_FULL 1    // what a CAD program draws: see SetDrawingMode
#define TAVREL_MODE_FULL_LINE_TYPES 2 // full, lines dashed by their line types

class TAVREL_VIEWER_API cl_export_functions {
public:
    cl_export_functions();
    // Pictures and the scene stay allocated until DeleteObjects.
    ~cl_export_functions();
    cl_export_functions(const cl_export_functions &) = delete;
    cl_export_functions &operator=(const cl_export_functions &) = delete;

    int SetLibrary(const char *path);
    int SetBlockName(const char *name);
    // Loads the layer colour table from the file; always 1.
    int SetLayerColorFile(const char *file);
    void SetBackgroundColor(unsigned long color);
    void SetShowLines(int on);
    // Whole degrees: the fraction is dropped.
    void SetCameraRotation(double degrees);
    void SetCameraTilt(double degrees);
    // How symbols become geometry, for every object of the process; the next
    // picture loads the symbol again when the mode changes.
    // TAVREL_MODE_CLASSIC (the default) draws each delivered block where it is
    // defined and only the entity kinds of the classic set.  TAVREL_MODE_FULL
    // draws what a CAD program draws: the symbol's block with its block
    // references placed (nested, arrayed), arcs, ellipses, splines, widened and
    // bulged polylines, text, attributes, solid fills, hatches, dimensions and
    // entity colours.  TAVREL_MODE_FULL_LINE_TYPES also breaks lines, arcs,
    // circles and polylines into the dashes of their line types.  Returns the
    // mode in force; an unknown mode changes nothing.
    int SetDrawingMode(int mode);
    // Non-zero: the camera fit frames line ends and point markers as well as
    // faces, so lines that reach beyond the faces are not cut off.  0 (the
    // default) frames the faces only; a symbol without faces is framed by its
    // lines either way.  For every object of the process.
    void SetFitLines(int on);
    // Non-zero: lines are drawn one pixel wide per 256 pixels of the rendered
    // picture's shorter side (at least one), so that they stay at least a pixel
    // wide after RemakeImage halves the picture into the window.  0 (the
    // default) draws them one pixel wide.  For every object of the process.
    void SetScaledLineWidth(int on);
    // What loading the last symbol gave: 1 delivered, -1 no library or symbol
    // name, -2 the library refused it (missing, corrupt, no such symbol) or the
    // symbol is more than a scene holds (2,000,000 triangles or lines, 1,000,000
    // points: "ERROR: Scene exceeds ..." on standard output, beside the
    // library's own messages); 0 before any load.  Pictures are still made
    // when loading failed: blank, or of what the scene kept.
    int GetLoadResult() const;
    // Loads the symbol named by SetLibrary and SetBlockName into the scene
    // unless it is the one loaded (as RemakeImage decides); 2 no library, 3 no
    // symbol, else GetLoadResult().  Lets a host look at the scene before the
    // first picture (GetSceneExtent) and render it with RenderImage.
    int LoadSymbol();
    // The loaded scene's bounding box over triangle corners, line ends and points,
    // in the scene's coordinates (centred by the first picture); 0 when there is
    // no scene or it is empty, else 1.
    int GetSceneExtent(double low[3], double high[3]) const;
    // Renders the loaded symbol (loading it first when needed, never again when it
    // is loaded) at the size of target and copies the picture into it; 2 no
    // library, 3 no symbol, -1 no picture, else 0.
    int RenderImage(CImage *target);
    // Turns the camera one degree per pixel; rotation + 360, or -1 without a picture.
    int SendDragDistance(int dx, int dy);

    // Appends the library's symbol names (and those of earlier calls) to list;
    // the number of entries list holds afterwards, 0 without a library path.
    int GetBlockList(CStringArray *list);

    int ClearImage();
    // The next RemakeImage loads the symbol again.
    void ClearLastBlock();
    // Frees the picture, the scene and the render image; 1.
    int DeleteObjects();
    CString SayHello(CString name);

    // Copies the last picture into target, stretched; 2 no library, 3 no symbol, else 0.
    int GetImage(CImage *target);
    // Paints the last picture into a centred square of area; 1 when painted.
    int DrawImageInWindow(CDC *dc, CRect area);
    // Renders the symbol for the window and paints it; 2 no library, 3 no symbol, else 1.
    int RemakeImage(HWND window);
    // Renders library/block at the size of target (the reals are not used);
    // 2 no library, 3 no symbol, else 0.
    int GetImage(CString library, CString block, double unused1, double unused2, CImage *target);

    CImage *picture = nullptr; // owned; 24 bits per pixel
    CRect picture_rect;        // (0, 0, width, height); empty: no picture
    COLORREF background = 0xFFFFFF;
    CString loaded_library;
    CString loaded_block;
};
