#include "faces_dxf.h"

namespace {

void corner(std::FILE *out, int index, v3 p)
{
    // 17 significant digits: corners shared by neighbouring faces stay identical.
    std::fprintf(out, "%d\n%.17g\n%d\n%.17g\n%d\n%.17g\n", 10 + index, p.x, 20 + index, p.y, 30 + index, p.z);
}

} // namespace

bool write_faces_dxf(std::FILE *out, const std::vector<mesh_triangle> &triangles)
{
    std::fputs("0\nSECTION\n2\nENTITIES\n", out);
    for (const auto &t : triangles) {
        std::fputs("0\n3DFACE\n8\n0\n", out);
        corner(out, 0, t.a);
        corner(out, 1, t.b);
        corner(out, 2, t.c);
        corner(out, 3, t.c);
    }
    // The group-0 pair after the last face is what makes a reader take it.
    std::fputs("0\nENDSEC\n0\nEOF\n", out);
    return std::fflush(out) == 0 && !std::ferror(out);
}
