// The fixed OpenGL state of a picture: projection and drawing switches.
#include <GL/gl.h>
#include <GL/glu.h>

#include "render/cl_opengl_image.h"

bool SetProjection(int width, int height)
{
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The near plane has always been the single-precision 0.1.
    gluPerspective(45.0, static_cast<double>(width) / height, static_cast<double>(0.1f), 350.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return glGetError() == GL_NO_ERROR;
}

bool SetRenderState(const cl_opengl_image &image)
{
    glShadeModel(GL_SMOOTH);
    glClearColor(static_cast<GLclampf>(image.background_r), static_cast<GLclampf>(image.background_g),
                 static_cast<GLclampf>(image.background_b), 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    return glGetError() == GL_NO_ERROR;
}
