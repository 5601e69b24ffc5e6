// Vorstep SATFILE FACESFILE: tessellates the solid of a SAT text file into a
// DXF file of 3DFACE entities.  Exit status 0 when faces were written.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "faces_dxf.h"
#include "sat_model.h"
#include "sat_text.h"
#include "solid_mesher.h"

namespace {

constexpr std::size_t max_sat_bytes = 256u * 1024u * 1024u;

void usage(std::FILE *to)
{
    std::fputs("usage: Vorstep.exe SATFILE FACESFILE\n"
               "Reads a SAT text file (a 3D solid, region or body) and writes its surface\n"
               "as 3DFACE entities of a DXF text file.  Faces it cannot tessellate are\n"
               "named on standard error; the exit status is 0 when faces were written.\n",
               to);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage(stdout);
        return 0;
    }
    if (argc != 3) {
        usage(stderr);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "Vorstep: cannot open SAT file %s\n", argv[1]);
        return 1;
    }
    std::string text;
    {
        std::ostringstream buffer;
        buffer << in.rdbuf();
        text = buffer.str();
    }
    if (text.size() > max_sat_bytes) {
        std::fprintf(stderr, "Vorstep: SAT file %s is too large\n", argv[1]);
        return 1;
    }
    sat_text sat;
    std::string error;
    if (!sat_split(text, sat, error)) {
        std::fprintf(stderr, "Vorstep: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    sat_model model;
    std::vector<std::string> warnings;
    bool has_faces = sat_build_model(sat, model, warnings);
    mesh_result mesh;
    if (has_faces)
        mesh_model(model, model_tolerance(model), mesh);
    for (const auto &w : warnings)
        std::fprintf(stderr, "Vorstep: %s\n", w.c_str());
    for (const auto &w : mesh.warnings)
        std::fprintf(stderr, "Vorstep: %s\n", w.c_str());
    if (mesh.faces_skipped > 0)
        std::fprintf(stderr, "Vorstep: %d of %d faces skipped\n", mesh.faces_skipped,
                     mesh.faces_skipped + mesh.faces_meshed);
    if (mesh.triangles.empty()) {
        std::fprintf(stderr, "Vorstep: %s: no faces could be tessellated\n", argv[1]);
        return 1;
    }
    std::FILE *out = std::fopen(argv[2], "wb");
    if (!out) {
        std::fprintf(stderr, "Vorstep: cannot create faces file %s\n", argv[2]);
        return 1;
    }
    bool ok = write_faces_dxf(out, mesh.triangles);
    ok = (std::fclose(out) == 0) && ok;
    if (!ok) {
        std::fprintf(stderr, "Vorstep: cannot write faces file %s\n", argv[2]);
        return 1;
    }
    return 0;
}
