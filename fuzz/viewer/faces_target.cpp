// The faces file that the solids converter writes back.
#include "../common/fuzz_input.h"
#include "conversion/solids.h"
#include "fuzz_targets.h"
#include "render/scene_functions.h"

int faces_fuzz_one(const std::uint8_t *data, std::size_t size)
{
    const std::string path = fuzz_scratch_file("faces.dxf", data, size);
    current_scene = new cl_opengl_image;
    read_faces_file(CString(path.c_str()));
    delete current_scene;
    current_scene = nullptr;
    return 0;
}
