#include "state/cl_viewer_app.h"

#include <string>

#include "skelvane/environment.h"
#include "skelvane/msgbox.h"

bool cl_viewer_app::InitInstance(const std::string &module_path)
{
    const std::string::size_type cut = module_path.find_last_of("\\/");
    if (cut == std::string::npos) {
        const std::string text = "Cannot find application executable: " + module_path + "\n";
        MessageBox(nullptr, text.c_str(), "Skelvane", MB_OK);
        initialised = false;
        return false;
    }
    folder = module_path.substr(0, cut);
    initialised = true;
    return true;
}

cl_viewer_app &viewer_app()
{
    static cl_viewer_app app = [] {
        cl_viewer_app created;
        created.InitInstance(GetModuleFileName(reinterpret_cast<const void *>(&viewer_app)));
        return created;
    }();
    return app;
}

namespace {

// The application object exists from the moment the library is loaded.
[[maybe_unused]] const bool app_created = (viewer_app(), true);

} // namespace
