#include "gallery_settings.h"

#include <link.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "hash.h"
#include "skelvane_version.h"

namespace {

// The build of the libraries that draw: a picture drawn by an older viewer is
// not taken for one of this viewer's.
int add_library_stamp(dl_phdr_info *info, std::size_t, void *data)
{
    auto &text = *static_cast<std::string *>(data);
    const char *name = info->dlpi_name;
    if (name == nullptr || (std::strstr(name, "libTavrel_Viewer") == nullptr &&
                            std::strstr(name, "libTvlAccess") == nullptr &&
                            std::strstr(name, "libskelvane_platform") == nullptr))
        return 0;
    struct stat st{};
    if (stat(name, &st) == 0)
        text += ";" + std::string(name) + "@" + std::to_string(st.st_size) + "@" +
                std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    return 0;
}

std::string library_stamps()
{
    std::string text;
    dl_iterate_phdr(add_library_stamp, &text);
    return text;
}

} // namespace

std::string drawing_settings(const gallery_settings &settings)
{
    std::string colors = "none";
    if (!settings.colors.empty()) {
        std::ifstream in(settings.colors, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        byte_hash hash;
        hash.add_text(s.str());
        colors = hex64(hash.value);
    }
    return "mode=" + settings.mode + ";version=" SKELVANE_VERSION_STRING ";colors=" + colors +
           ";background=FFFFFF;lines=fit,smooth" + library_stamps();
}

const std::vector<std::string> &page_views()
{
    static const std::vector<std::string> views{"plan", "iso", "front", "right"};
    return views;
}

std::vector<wanted_picture> pictures_of(const symbol_facts &facts, const gallery_settings &settings)
{
    std::string views;
    for (const std::string &view : page_views())
        views += (views.empty() ? "" : "+") + view;
    return {{"thumb", facts.view, settings.size}, {"views", views, settings.page_size}};
}
